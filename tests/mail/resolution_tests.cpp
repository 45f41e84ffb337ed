// Resolving names on whichever path this Windows version takes: Simple MAPI's
// MAPIResolveName (6.0) or the Extended MAPI address book (6.1 and later). The same tests
// run in two programs, one that Wine reports as Vista and one as Windows 7.
#include <algorithm>
#include <optional>

#include "address_book.h"
#include "mail_fixture.h"
#include "message_box.h"
#include "recipient.h"
#include "resolution.h"
#include "simple_mapi.h"

using namespace uxd;

namespace {
class Resolution : public MailTest {
protected:
    void SetUp() override {
        MailTest::SetUp();
        makeJob();
        ASSERT_EQ(bindSimpleMapi(*job), UXD_SUCCESS);
    }
    MAPIRecipient *parse(const char *text, uint32_t recipClass = MAPI_TO) {
        MAPIRecipient *list = nullptr;
        EXPECT_EQ(parseRecipients(job.get(), text, &list, recipClass), UXD_SUCCESS);
        return list;
    }
    // How each path reports a name it cannot settle.
    static std::string unresolvedText(const char *simpleText, unsigned long addressBookCode) {
        return useAddressBook() ? "Error " + std::to_string(addressBookCode) + " returned by function <MAPIResolveName>."
                                : simpleText;
    }
    std::string resolutionCalls() const { return useAddressBook() ? "ResolveName" : "MAPIResolveName"; }
};

constexpr unsigned long kNotFound = 0x8004010Ful, kAmbiguous = 0x80040700ul;
}  // namespace

TEST_F(Resolution, SuccessTakesTheDisplayNameAndKeepsTheRecipientsClass) {
    char program[MAX_PATH] = "";  // each program takes the path it is named for, or one is tested twice
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    EXPECT_EQ(useAddressBook(), !strstr(program, "_vista")) << program << " (Wine's AppDefaults Version)";
    MAPIRecipient *list = parse("bob@example", MAPI_CC);
    ASSERT_EQ(list->resolve(job->session, false, nullptr), UXD_SUCCESS);
    EXPECT_STREQ(list->name, "Bob Carter") << "joining shows display names";
    EXPECT_EQ(list->isResolved, 1u);
    ASSERT_NE(list->resolved, nullptr);
    EXPECT_EQ(list->resolved->ulRecipClass, static_cast<ULONG>(MAPI_CC)) << "MAPI reports To";
    ASSERT_EQ(list->resolved->ulEIDSize, 4u);
    EXPECT_EQ(memcmp(list->resolved->lpEntryID, "\xC1\xC2\xC3\xC4", 4), 0);
    if (!useAddressBook()) {
        EXPECT_STREQ(list->resolved->lpszAddress, "SMTP:bob@example.com");
    }
    EXPECT_STREQ(list->resolved->lpszName, "Bob Carter");
    size_t calls = mail->log().size();
    EXPECT_EQ(list->resolve(job->session, true, nullptr), UXD_SUCCESS);
    EXPECT_EQ(mail->log().size(), calls) << "a resolved recipient costs no call, not even with the dialog flag";
    destroy(list);
}

// A failure is recorded; only a resolution that may show a dialog shows it, in a box owned by
// the window (Simple MAPI's box has no caption of its own: the system's).
TEST_F(Resolution, FailuresAreRecordedAndShownOnlyWhereADialogMayBe) {
    HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const struct { const char *name, *simpleText; unsigned long addressBookCode; bool shown; } cases[] = {
        {"Ghost", "No match could be found for <Ghost>.", kNotFound, false},
        {"ann", "<ann> is ambiguous.", kAmbiguous, false},
        {"Ghost", "No match could be found for <Ghost>.", kNotFound, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.shown ? ", shown" : ", silent"));
        const size_t calls = mail->calls(resolutionCalls()).size();
        MAPIRecipient *list = parse(c.name);
        const std::string expected = unresolvedText(c.simpleText, c.addressBookCode);
        std::optional<MessageBoxWatcher> watcher;  // a box of a silent one would hang the test
        if (c.shown) watcher.emplace();
        EXPECT_EQ(list->resolve(job->session, c.shown, owner), UXD_E_FAILURE);
        if (watcher) {
            EXPECT_TRUE(watcher->seen() && watcher->showsText(expected)) << "no box showing \"" << expected << "\"";
            EXPECT_EQ(watcher->caption(), useAddressBook() ? "MAPI Destination" : "Error");
            EXPECT_TRUE(useAddressBook() || watcher->owner() == owner);
        }
        EXPECT_EQ(UXDGetErrorText(job.get()), expected);
        EXPECT_STREQ(list->name, c.name) << "the typed name stays";
        EXPECT_EQ(list->isResolved, 0u);
        std::vector<std::string> made = mail->calls(resolutionCalls());
        EXPECT_EQ(made.size(), calls + 1);
        EXPECT_TRUE(c.shown || made.back().find("flags=0x0 ") != std::string::npos) << "no dialog: " << made.back();
        destroy(list);
    }
    DestroyWindow(owner);
}

TEST_F(Resolution, ListGoesOnAfterFailuresAndReturnsTheLastOne) {
    mail->set("resolve", "Cancelme", "1");
    MAPIRecipient *list = parse("Cancelme; Bob Carter; Ghost");
    EXPECT_EQ(resolveRecipients(job.get(), list, false, nullptr), UXD_E_FAILURE) << "Ghost's, not the cancel";
    EXPECT_EQ(list->next->isResolved, 1u) << "Bob was resolved between the failures";
    EXPECT_EQ(mail->calls(resolutionCalls()).size(), 3u);

    MAPIRecipient *reversed = parse("Ghost; Cancelme");
    EXPECT_EQ(resolveRecipients(job.get(), reversed, false, nullptr), UXD_E_CANCELLED) << "a cancel is 6";
    EXPECT_STREQ(UXDGetErrorText(job.get()), "") << "and carries no text";
    destroy(list), destroy(reversed);
}

// Where the address book cannot be reached the job turns to Simple MAPI once, for all its
// names; running out of memory is no sign of a missing address book and is reported as ever.
TEST_F(Resolution, AnAddressBookOutOfReachSendsTheJobsNamesThroughSimpleMapi) {
    if (!useAddressBook()) GTEST_SKIP() << "this path uses Simple MAPI from the start";
    // What fails, as scripted in the test mail system; whether the names then go through Simple
    // MAPI, and the MAPILogonEx calls for the two names.
    const struct { const char *broken, *function, *result; bool fallsBack; size_t logonTries; } cases[] = {
        {"MAPILogonEx missing", nullptr, nullptr, true, 0},
        {"logon refused", "MAPILogonEx", "0x80040111", true, 1},          // MAPI_E_LOGON_FAILED
        {"no address book", "OpenAddressBook", "0x80004005", true, 1},    // the session is released
        {"logon out of memory", "MAPILogonEx", "0x8007000E,0x8007000E", false, 2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.broken);
        MailTest::TearDown(), MailTest::SetUp(), makeJob();
        ASSERT_EQ(bindSimpleMapi(*job), UXD_SUCCESS);
        if (c.function) mail->set("results", c.function, c.result);
        else LoaderSpy::missing = {"MAPILogonEx"};
        MAPIRecipient *list = parse("Bob Carter; Ann Archer");
        LoaderSpy::lookups.clear();
        UXDResult rc = resolveRecipients(job.get(), list, false, nullptr);
        EXPECT_EQ(job->addressBookUnreachable, c.fallsBack);
        EXPECT_EQ(mail->calls("MAPILogonEx").size(), c.logonTries);
        EXPECT_EQ(mail->calls("ResolveName").size(), 0u);
        EXPECT_EQ(rc, c.fallsBack ? UXD_SUCCESS : UXD_E_FAILURE);
        EXPECT_EQ(mail->calls("MAPIResolveName").size(), c.fallsBack ? 2u : 0u);
        EXPECT_EQ(list->isResolved + list->next->isResolved, c.fallsBack ? 2u : 0u);
        if (c.fallsBack) {
            EXPECT_STREQ(list->name, "Bob Carter");
            EXPECT_STREQ(list->resolved->lpszAddress, "SMTP:bob@example.com") << "Simple MAPI's answer";
        } else {
            EXPECT_STREQ(UXDGetErrorText(job.get()), "Error 2147942414 returned by function <MAPIResolveName>.");
        }
        EXPECT_LE(std::count(LoaderSpy::lookups.begin(), LoaderSpy::lookups.end(), "MAPILogonEx"), 1)
            << "one binding per job";
        destroy(list);
    }
}

// Choosing through the address book is driven as a user does in the dialog tests; here only
// the address list's own arithmetic.
TEST(AddressList, RefusesASizeThatWouldOverflowBeforeTouchingTheOutput) {
    LPADRLIST list = reinterpret_cast<LPADRLIST>(1);
    EXPECT_EQ(allocAddressList(3, 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(allocAddressList(0x0AAAAAAB, 1, &list), E_INVALIDARG) << "values * 24 would overflow";
    EXPECT_EQ(list, reinterpret_cast<LPADRLIST>(1)) << "refused before touching the output";
}
