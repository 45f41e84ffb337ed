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
    inline static std::vector<std::string> lookups;  // names asked of GetProcAddress
    inline static std::set<std::string> missing;     // names to report missing
    inline static bool failMapiLoad;
    inline static UINT errorModeAtLoad;
    inline static HCURSOR cursorAtLoad;
    LoaderSpy();
    IatHook load, lookup;
};

class MailTest : public JobTest {
protected:
    void SetUp() override;
    void TearDown() override;
    void makeJob(uint32_t allowLogonUI = 1);  // a new job with its text buffers, as setup makes it
    // Ends the job set up before, then sets one up silently from `options` for `files`, as a
    // host does: a job in `ready` exactly on success.
    UXDResult setUpJob(const MAPIDestinationOptions *options, std::vector<const UXDExportFile *> files = {});

    std::unique_ptr<TestMail> mail;
    std::unique_ptr<LoaderSpy> loader;
    HostExport host;
    uxd::unique_job job, ready;  // `ready` is ended as a host ends it
};
