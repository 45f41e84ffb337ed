// Binding a job to Simple MAPI through the registered mail client.
#include "mail_fixture.h"
#include "simple_mapi.h"

using namespace uxd;

using SimpleMapiBinding = MailTest;
using Words = std::vector<std::string>;

TEST_F(SimpleMapiBinding, LogonIsRetriedOnceOnlyAfterALoginFailureAndEndingTheJobLogsOff) {
    const struct { uint32_t allowLogonUI; const char *script; UXDResult code; const char *text; Words logonFlags; } cases[] = {
        {1, "3,0", UXD_SUCCESS, "", {"flags=0x0", "flags=0x1"}},  // retried with the dialog allowed
        {0, "3,0", UXD_SUCCESS, "", {"flags=0x0", "flags=0x0"}},  // retried identically without it
        {0, "3,3", UXD_E_FAILURE, "MAPI services not installed or not configured", {"flags=0x0", "flags=0x0"}},
        {1, "1", UXD_E_CANCELLED, "", {"flags=0x0"}},  // a cancel is not retried
        {1, "3,2", UXD_E_FAILURE, "Error 2 returned by function <MAPILogon>.", {"flags=0x0", "flags=0x1"}},
        {1, "0", UXD_SUCCESS, "", {"flags=0x0"}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("results ") + c.script + ", allowLogonUI " + std::to_string(c.allowLogonUI));
        mail.reset(), mail = std::make_unique<TestMail>();  // the old script goes before the new one is written
        mail->set("results", "MAPILogon", c.script);
        makeJob(c.allowLogonUI);
        EXPECT_EQ(bindSimpleMapi(*job), c.code);
        EXPECT_STREQ(UXDGetErrorText(job.get()), c.text);
        std::vector<std::string> logons = mail->calls("MAPILogon");
        ASSERT_EQ(logons.size(), c.logonFlags.size());
        for (size_t i = 0; i < logons.size(); ++i)  // no parent window; empty texts go as empty strings
            EXPECT_NE(logons[i].find("ulUIParam=0x0 profile=\"\" password=\"\" " + c.logonFlags[i]), std::string::npos)
                << logons[i];
        for (size_t i = 1; i < logons.size(); ++i)  // the retry repeats every argument but, perhaps, the flags
            EXPECT_EQ(logons[0].substr(0, logons[0].find(" flags=")), logons[i].substr(0, logons[i].find(" flags=")));
        char logoff[64];  // ending the job logs off a session with the low half of the job's window
        snprintf(logoff, sizeof logoff, "session=0x%llx ulUIParam=0x34567890 ", (unsigned long long)job->session);
        job.reset();
        const std::vector<std::string> logoffs = mail->calls("MAPILogoff");
        EXPECT_TRUE(c.code ? logoffs.empty() : logoffs.size() == 1 && logoffs[0].find(logoff) != std::string::npos)
            << testing::PrintToString(logoffs);
    }
}

// Binding stops at the first missing entry point and names it; a library that does not load is
// named too. Either way no logon is tried, and the error mode and cursor of the load are put back.
TEST_F(SimpleMapiBinding, AMissingEntryPointOrLibraryIsNamedAndTheErrorModeAndCursorPutBack) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    const struct { const char *missing; size_t lookups; bool loads = true; } cases[] = {
        {"MAPILogon", 1}, {"MAPIDetails", 11}, {"MAPIResolveName", 12}, {nullptr, 0, false}, {nullptr, 0}};
    for (const auto &c : cases) {
        const bool bound = c.loads && !c.missing;
        const std::string text = c.missing ? std::string("Function <") + c.missing + "> is missing from <MAPI.DLL>"
                                           : c.loads ? "" : "Couldn't load <MAPI.DLL>.";
        SCOPED_TRACE(bound ? "bound" : text);
        makeJob();
        LoaderSpy::missing.clear(), LoaderSpy::lookups.clear(), LoaderSpy::failMapiLoad = !c.loads;
        if (c.missing) LoaderSpy::missing.insert(c.missing);
        SetErrorMode(SEM_NOGPFAULTERRORBOX), SetCursor(arrow);
        EXPECT_EQ(bindSimpleMapi(*job), bound ? UXD_SUCCESS : UXD_E_FAILURE);
        EXPECT_EQ(UXDGetErrorText(job.get()), text);
        if (c.missing) {
            EXPECT_EQ(LoaderSpy::lookups.size(), c.lookups) << "binding stops at the missing one";
            EXPECT_EQ(LoaderSpy::lookups.back(), c.missing);
        }
        EXPECT_EQ(mail->calls("MAPILogon").empty(), !bound) << "no logon without the whole table";
        EXPECT_EQ(job->mapiLibrary.get() != nullptr, c.loads);
        EXPECT_EQ(LoaderSpy::errorModeAtLoad, static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
        EXPECT_EQ(LoaderSpy::cursorAtLoad, LoadCursorA(nullptr, IDC_WAIT));
        EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
        EXPECT_EQ(GetCursor(), arrow);
        job.reset();
    }
    SetErrorMode(0);
}
