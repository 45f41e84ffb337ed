// Setting a job up as a host does: options in pointer and flat form, their limits, older
// layouts, recipient tables, failures reported through the module's error text, a cancelled
// dialog, and the locale and working directory put back.
#include <clocale>

#include "address_book.h"
#include "mail_fixture.h"
#include "message_box.h"
#include "recipient.h"

using namespace uxd;

namespace {
struct HostOptions {
    MAPIDestinationOptions record = {};
    std::string to, subject, message, profile, password;
    MapiRecipDesc entry = {};

    explicit HostOptions(uint16_t structSize = 70) { record.structSize = structSize; }
    const MAPIDestinationOptions *get() {
        record.toNames = to.empty() ? nullptr : &to[0];
        record.subject = subject.empty() ? nullptr : &subject[0];
        record.message = message.empty() ? nullptr : &message[0];
        record.profileName = profile.empty() ? nullptr : &profile[0];
        record.password = password.empty() ? nullptr : &password[0];
        return &record;
    }
    // One recipient already resolved: setup then parses and resolves nothing.
    void withResolvedTable(const char *name = "Ann Archer") {
        entry.ulRecipClass = MAPI_TO;
        entry.lpszName = const_cast<char *>(name);
        entry.lpszAddress = const_cast<char *>("SMTP:ann@example.com");
        record.nRecipients = 1;
        record.recipients = reinterpret_cast<UXDRecipDesc *>(&entry);
    }
};

class Setup : public MailTest {
protected:
    UXDResult init(const MAPIDestinationOptions *options) {
        UXDJobInfo *info = nullptr;
        void *handle = reinterpret_cast<void *>(1);
        UXDResult rc = UXDInitExportDestination(nullptr, 0, options, host.with({}), &handle, &info);
        EXPECT_EQ(handle == nullptr, rc != UXD_SUCCESS) << "a job exactly on success";
        if (handle) {
            EXPECT_EQ(info, &static_cast<MAPIDestination *>(handle)->infoBlock);
        }
        ready.reset(static_cast<MAPIDestination *>(handle));
        return rc;
    }
    void TearDown() override {
        UXDTermExportDestination(ready.release(), 0);
        MailTest::TearDown();
    }
    std::unique_ptr<MAPIDestination> ready;
};
}  // namespace

TEST_F(Setup, TextsUpToTheirBuffersAreTakenLongerOnesRefused) {
    const struct {
        const char *field;
        std::string HostOptions::*text;
        size_t length;
        UXDResult code;
    } cases[] = {
        {"To", &HostOptions::to, 5119, UXD_SUCCESS},           {"To", &HostOptions::to, 5120, UXD_E_INVALID_ARGUMENT},
        {"Subject", &HostOptions::subject, 511, UXD_SUCCESS},  {"Subject", &HostOptions::subject, 512, UXD_E_INVALID_ARGUMENT},
        {"Message", &HostOptions::message, 16619, UXD_SUCCESS}, {"Message", &HostOptions::message, 16620, UXD_E_INVALID_ARGUMENT},
        {"Profile", &HostOptions::profile, 5120, UXD_E_INVALID_ARGUMENT},
        {"Password", &HostOptions::password, 5120, UXD_E_INVALID_ARGUMENT},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.field) + " of " + std::to_string(c.length));
        setModuleErrorText("left over");
        HostOptions options;
        options.withResolvedTable();
        options.*c.text = std::string(c.length, 'x');
        EXPECT_EQ(init(options.get()), c.code);
        if (c.code != UXD_SUCCESS) {
            EXPECT_STREQ(UXDGetErrorText(nullptr), "") << "no text for code 5";
        } else if (c.text == &HostOptions::subject) {
            EXPECT_EQ(strlen(ready->subjectText), c.length);
        }
        UXDTermExportDestination(ready.release(), 0);
    }
}

TEST_F(Setup, OlderLayoutCarriesNoLogonData) {
    HostOptions options(68);
    options.withResolvedTable();
    options.profile = "Work";
    options.password = "secret";
    ASSERT_EQ(init(options.get()), UXD_SUCCESS);
    EXPECT_STREQ(ready->profileName, "");
    EXPECT_STREQ(ready->password, "");
    EXPECT_NE(mail->calls("MAPILogon")[0].find("profile=\"\" password=\"\""), std::string::npos);
}

TEST_F(Setup, SilentPathResolvesAndRewritesTheNames) {
    HostOptions options;
    options.to = " bob@example ;; Ann Archer ";
    options.profile = "Work";
    ASSERT_EQ(init(options.get()), UXD_SUCCESS);
    EXPECT_STREQ(ready->toText, "Bob Carter; Ann Archer");
    EXPECT_EQ(ready->toList->isResolved, 1u);
    EXPECT_STREQ(UXDGetErrorText(ready.get()), "");
    EXPECT_NE(mail->calls("MAPILogon")[0].find("profile=\"Work\""), std::string::npos);
    EXPECT_TRUE(mail->calls("MAPISendMail").empty()) << "nothing is sent at setup";
}

TEST_F(Setup, RecipientTableMeansNoResolutionAtSetup) {
    HostOptions options;
    options.to = "ignored; texts";
    MapiRecipDesc table[3] = {};
    const char *names[] = {"Zed Unknown", "Cy", "Bea"};
    ULONG classes[] = {MAPI_TO, MAPI_CC, MAPI_CC};
    for (int i = 0; i < 3; ++i) {
        table[i].ulRecipClass = classes[i];
        table[i].lpszName = const_cast<char *>(names[i]);
    }
    options.record.nRecipients = 3;
    options.record.recipients = reinterpret_cast<UXDRecipDesc *>(table);
    ASSERT_EQ(init(options.get()), UXD_SUCCESS);
    EXPECT_STREQ(ready->toText, "Zed Unknown");
    EXPECT_STREQ(ready->ccText, "Cy; Bea");
    EXPECT_TRUE(mail->calls("MAPIResolveName").empty() && mail->calls("ResolveName").empty());
    EXPECT_EQ(ready->toList->isResolved, 0u) << "resolved when the mail is sent";
}

TEST_F(Setup, EncodedBlockPassedBackSetsUpTheSameJob) {
    HostOptions options;
    options.to = "Ann Archer";
    options.subject = "Q3";
    options.message = "See attachment.";
    ASSERT_EQ(init(options.get()), UXD_SUCCESS);
    void *block = nullptr;
    uint16_t size = 0;
    ASSERT_EQ(UXDEncodeDestinationOptions(ready.get(), &block, &size), UXD_SUCCESS);
    std::vector<unsigned char> stored(static_cast<unsigned char *>(block), static_cast<unsigned char *>(block) + size);
    UXDTermExportDestination(ready.release(), 0);

    size_t resolutions = mail->log().size();
    ASSERT_EQ(init(reinterpret_cast<MAPIDestinationOptions *>(stored.data())), UXD_SUCCESS);
    EXPECT_STREQ(ready->toText, "Ann Archer");
    EXPECT_STREQ(ready->subjectText, "Q3");
    EXPECT_STREQ(ready->messageText, "See attachment.");
    ASSERT_NE(ready->toList, nullptr);
    EXPECT_EQ(ready->toList->isResolved, 1u) << "the block carries the resolved recipient";
    EXPECT_EQ(mail->log().size(), resolutions + 1) << "only the logon, no resolution";

    stored[68] = 0xFF;  // a flatSize past the real block's end would be refused as damaged
    stored[69] = 0x00;
    stored.resize(255);
    stored[2] = 250;  // toNames now points near the end, where no terminator lies
    std::fill(stored.begin() + 250, stored.end(), 'x');
    EXPECT_EQ(init(reinterpret_cast<MAPIDestinationOptions *>(stored.data())), UXD_E_INVALID_ARGUMENT);
}

TEST_F(Setup, FailuresLeaveTheirTextForTheHost) {
    mail->set("results", "MAPILogon", "3,3");
    HostOptions options;
    EXPECT_EQ(init(options.get()), UXD_E_FAILURE);
    EXPECT_STREQ(UXDGetErrorText(nullptr), "MAPI services not installed or not configured");
    mail->set("results", "MAPILogon", "");

    std::string longName(400, 'q');
    options.to = longName;
    EXPECT_EQ(init(options.get()), UXD_E_FAILURE);
    std::string text = UXDGetErrorText(nullptr);
    if (useAddressBook()) {
        EXPECT_EQ(text, "Error 2147746063 returned by function <MAPIResolveName>.");
    } else {
        EXPECT_EQ(text.size(), 299u) << "cut to 299 characters: " << text.substr(0, 60);
        EXPECT_EQ(text.compare(0, 29, "No match could be found for <"), 0) << text;
    }
}

TEST_F(Setup, CancelledDialogGivesNoJob) {
    UXDJobInfo *info = reinterpret_cast<UXDJobInfo *>(0x1234);
    void *handle = reinterpret_cast<void *>(1);
    UXDResult rc;
    {
        MessageBoxWatcher dialog(IDCANCEL);  // the Send Mail dialog is the thread's first dialog
        rc = UXDInitExportDestination(nullptr, 0, nullptr, host.with({}), &handle, &info);
        EXPECT_TRUE(dialog.seen());
        EXPECT_EQ(dialog.caption(), "Send Mail");
    }
    EXPECT_EQ(rc, UXD_E_CANCELLED);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(info, reinterpret_cast<UXDJobInfo *>(0x1234)) << "untouched";
}

TEST_F(Setup, LocaleAndDirectoryThatTheMailSystemChangesArePutBack) {
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    std::string locale = setlocale(LC_ALL, nullptr);
    mail->set("logon", "directory", mail->folder());
    mail->set("logon", "locale", "German");
    HostOptions options;
    options.withResolvedTable();
    ASSERT_EQ(init(options.get()), UXD_SUCCESS);
    EXPECT_EQ(setlocale(LC_ALL, nullptr), locale) << "put back right after the logon";
    char during[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, during);
    EXPECT_EQ(std::string(during) + "\\", mail->folder()) << "the mail system moved it";
    UXDTermExportDestination(ready.release(), 0);
    char after[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before) << "put back when the job ends";
}

TEST(Teardown, NullJobIsFine) { EXPECT_EQ(UXDTermExportDestination(nullptr, 0), UXD_SUCCESS); }
