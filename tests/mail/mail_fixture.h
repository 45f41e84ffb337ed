// A job ready to bind Simple MAPI through the test mail system, with spies on how the
// module loads MAPI32.DLL and looks up its entry points.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "iat_hook.h"
#include "job_fixture.h"
#include "test_mail.h"

struct LoaderSpy {
    static std::vector<std::string> lookups;   // names asked of GetProcAddress
    static std::set<std::string> missing;      // names to report missing
    static bool failMapiLoad;
    static UINT errorModeAtLoad;
    static HCURSOR cursorAtLoad;

    LoaderSpy();
    ~LoaderSpy();

private:
    std::unique_ptr<IatHook> load_, lookup_;
};

class MailTest : public JobTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A new job with its text buffers, as setup makes it.
    void makeJob(uint32_t allowLogonUI = 1);

    std::unique_ptr<TestMail> mail;
    std::unique_ptr<LoaderSpy> loader;
    HostExport host;
    std::unique_ptr<MAPIDestination> job;
};
