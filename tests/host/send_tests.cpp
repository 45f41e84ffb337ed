// `uxdsend send` as a script runs it: its own process, mailing through the test mail system,
// judged by its exit status, its standard error and the message the test mail system wrote.
#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>

#include <fstream>

#include "test_mail.h"
#include "test_paths.h"
#include "program_run.h"
#include "uxdmapi.h"

namespace {
using Words = std::vector<std::string>;

class Send : public testing::Test {
protected:
    void SetUp() override {
        folder = mail.folder();
        report = folder + "report.pdf";
        std::ofstream(report, std::ios::binary) << "%PDF-1.4\n" << std::string(300, '\x9c');
        std::ofstream(folder + "data.csv", std::ios::binary) << "region,units\r\nNorth,1240\r\n";
    }

    // The exit status of uxdsend.exe run in the test mail folder; what it wrote on standard
    // error is left in `err`.
    DWORD run(const Words &arguments) {
        ProgramRun done = runUxdsend(arguments, folder);
        err = done.err;
        return done.status;
    }

    TestMail mail;  // a fresh folder, log and outbox for each test
    std::string folder, report, err;
};

const char kArcherAndCarter[] = "Ann Archer <ann@example.com>, Bob Carter <bob@example.com>";

TEST_F(Send, FailureExitsWithThePluginsCodeAndSaysWhyOnStandardError) {
    const std::string saved = folder + "saved.opt";  // a saved block, and the same with a byte after it
    ASSERT_EQ(run({"send", "--to", "archer", "--save-options", saved, report}), 0u) << err;
    std::ofstream(folder + "longer.opt", std::ios::binary) << std::ifstream(saved, std::ios::binary).rdbuf() << '!';
    mail.clearOutbox();
    const DWORD kInvalid = UXD_E_INVALID_ARGUMENT, kFailure = DWORD(UXD_E_FAILURE);
    // What standard error `said`, and what the test mail system's MAPISendMail answers.
    const struct { Words arguments; DWORD status; Words said; const char *sendResults = ""; } cases[] = {
        {{"send", "--to", "archer", report, "missing.pdf"}, kInvalid, {"no such file: missing.pdf", "code 5"}},
        {{"send", "--to", "archer", report, "outbox"}, kInvalid, {"no such file: outbox"}},
        {{"send", "--to", "nobody at all", report}, kFailure,
         {"UXDInitExportDestination", "code -1", "\nuxdsend: 0x8004010F: no address-book entry matches"}},
        {{"send", "--lang", "0x0407", "--to", "nobody at all", report}, kFailure, {"wurde"}},  // German
        {{"send", "--to", "archer", report}, kFailure, {"(UXDExportToDestination) failed with code -1", "did not find an attached"}, "11"},
        {{"send", "--to", "archer", "--save-options", "outbox", report}, kFailure, {"cannot create outbox (system error"}},
        {{"send", "--options", "missing.opt", report}, kInvalid, {"(--options) failed with code 5", "cannot read missing.opt"}},
        {{"send", "--options", binFile("uxdsend.exe"), report}, kInvalid, {"uxdsend.exe is larger than any options block"}},
        {{"send", "--options", "data.csv", report}, kInvalid, {"data.csv is not an options file saved by --save-options"}},
        {{"send", "--options", "report.pdf", report}, kInvalid, {"report.pdf is not an options file"}},
        {{"send", "--options", "longer.opt", report}, kInvalid, {"longer.opt is not an options file"}},
    };
    for (const auto &c : cases) {
        mail.set("results", "MAPISendMail", c.sendResults);
        EXPECT_EQ(run(c.arguments), c.status) << testing::PrintToString(c.arguments) << " said: " << err;
        for (const std::string &text : c.said)
            EXPECT_NE(err.find(text), std::string::npos) << "expected \"" << text << "\" in: " << err;
    }
    EXPECT_EQ(mail.calls("MAPISendMail").size(), 2u) << "sent only by the saving run and the one made to fail";
    EXPECT_TRUE(mail.sent().empty());
}

// One message with every file under its own name to the resolved recipients; then a second run
// that must send what the first did: from saved options, or through the ANSI entry points after
// the wide ones. The test mail system takes only the password given.
TEST_F(Send, MailsEveryFileAndSendsTheSameMailAgainFromSavedOptionsAndWide) {
    char ansi[8] = "";
    BOOL lost = FALSE;  // a non-ASCII letter, so that the code page conversions matter
    int length = WideCharToMultiByte(CP_ACP, 0, L"\u00E4", 1, ansi, sizeof ansi - 1, nullptr, &lost);
    std::string letter = length > 0 && !lost ? std::string(ansi, length) : "a", saved = folder + "q1.opt";
    Words plain = {"send", "--to", "archer; bob", "--subject", "M" + letter + "rz", "--message", "L" + letter,
                   "--password", "s3cret", report};
    Words wide = plain;
    wide.insert(wide.begin() + 1, "--wide");
    const struct { Words first, second, attached; bool sameBody = false; } cases[] = {
        {{"send", "--to", "archer; bob", "--cc", "Anna Baker", "--subject", "Sales, Q1", "--profile", "Work", "--password",
          "s3cret", "--save-options", saved, report, "data.csv"}, {"send", "--options", saved, "data.csv"}, {"data.csv"}},
        {wide, plain, {"report.pdf"}, true},
    };
    mail.set("logon", "password", "s3cret");
    std::ofstream(saved) << "readable by all";  // replaced by the saved block
    size_t before = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.first));
        ASSERT_EQ(run(c.first), 0u) << err;
        EXPECT_EQ(err, "");
        ASSERT_EQ(run(c.second), 0u) << err;
        std::vector<SentMail> sent = mail.sent();
        ASSERT_EQ(sent.size(), before += 2) << "one message for the whole export";
        SentMail first = sent[before - 2], second = sent[before - 1];
        EXPECT_EQ(first.to, kArcherAndCarter);
        EXPECT_EQ(second.attachments, c.attached);
        first.attachments = second.attachments;
        if (!c.sameBody) first.body = second.body;
        EXPECT_EQ(second, first) << "the second mail: " << describe(second) << ", the first: " << describe(first);
    }
    EXPECT_EQ(mail.sent()[0], (SentMail{kArcherAndCarter, "Anna Baker <anna@example.com>", "Sales, Q1", " ",
                                       {"report.pdf", "data.csv"}})) << describe(mail.sent()[0]);
    std::string log;
    for (const std::string &line : mail.log()) log += line + "\n";
    EXPECT_NE(log.find("path=\"" + folder + "data.csv\""), std::string::npos) << "a relative name by its full path: " << log;
    EXPECT_NE(log.find("profile=\"Work\" password=\"***\""), std::string::npos) << "the password is never logged: " << log;
    EXPECT_EQ(log.find("s3cret"), std::string::npos) << log;
    // The saved file holds the password: only the user who saved it may open it, also when it
    // replaced a file that anybody could read.
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoA(saved.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                    nullptr, &descriptor), DWORD(ERROR_SUCCESS));
    ASSERT_NE(dacl, nullptr) << "a null DACL would let everybody in";
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    unsigned char user[256];
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, user, sizeof user, &size));
    CloseHandle(token);
    PSID me = reinterpret_cast<TOKEN_USER *>(user)->User.Sid;
    unsigned char system[SECURITY_MAX_SID_SIZE];
    size = sizeof system;
    ASSERT_TRUE(CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &size));
    bool mine = false;
    for (WORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE *ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void **>(&ace)));
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        PSID who = &ace->SidStart;
        mine = mine || (EqualSid(who, me) && (ace->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS);
        // Wine keeps a file's DACL as its Unix mode and reports the owner's bits for the user
        // and for the local system too; Windows keeps the one entry as it was set.
        EXPECT_TRUE(EqualSid(who, me) || EqualSid(who, system)) << "entry " << i << " lets somebody else in";
    }
    EXPECT_TRUE(mine) << "the user has full access";
    LocalFree(descriptor);
}

}  // namespace
