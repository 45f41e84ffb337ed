// Setting a job up as a host does: older layouts, recipient tables, the
// encoded block, failure texts, a cancelled dialog, and the locale and directory put back.
#include <clocale>

#include "address_book.h"
#include "mail_fixture.h"
#include "message_box.h"
#include "recipient.h"

using namespace uxd;

namespace {
class Setup : public MailTest {
protected:
    Setup() { options.structSize = 70; }
    MAPIDestinationOptions options = {};
};
}  // namespace

TEST_F(Setup, RecipientTableMeansNoResolutionAtSetup) {
    MapiRecipDesc table[] = {recipient(MAPI_TO, "Zed Unknown"), recipient(MAPI_CC, "Cy"), recipient(MAPI_CC, "Bea")};
    options.toNames = text("ignored; texts"), setTable(options, table, 3);
    ASSERT_EQ(setUpJob(&options), UXD_SUCCESS);
    EXPECT_STREQ(ready->toText, "Zed Unknown");
    EXPECT_STREQ(ready->ccText, "Cy; Bea");
    EXPECT_TRUE(mail->calls("MAPIResolveName").empty() && mail->calls("ResolveName").empty());
}

// A block a host built itself need not fill in the counts that only the conversions use;
// setup reads what the offsets designate, and refuses what lies outside the block.
TEST_F(Setup, HostBuiltBlockIsReadByItsBounds) {
    const struct { uint16_t flatSize; uint64_t toAt; const char *why; UXDResult code; } cases[] = {
        {85, 74, "To at 74, stringBytes 0", UXD_SUCCESS},
        {84, 74, "its terminator is the block's 85th byte", UXD_E_INVALID_ARGUMENT},
        {85, 85, "an offset at flatSize", UXD_E_INVALID_ARGUMENT},
        {85, 70, "an offset inside the header", UXD_E_INVALID_ARGUMENT},
    };
    for (const auto &c : cases) {
        std::vector<unsigned char> block(96, 0);
        memcpy(block.data() + 74, "Ann Archer", 11);
        UXDEncodedOptionsHeader head = {};
        head.structSize = 70, head.flatSize = c.flatSize, head.toNames = c.toAt;
        memcpy(block.data(), &head, sizeof head);
        EXPECT_EQ(setUpJob(reinterpret_cast<MAPIDestinationOptions *>(block.data())), c.code) << c.why;
        if (c.code == UXD_SUCCESS) {
            EXPECT_STREQ(ready->toText, "Ann Archer");
        }
    }
}

// Every copy of the password that the module makes is wiped before its memory goes back:
// the job's buffer, the encoded block, decoded and converted records, conversion scratch
// (also when it grows for a later text). The sweeps watch every failure half-way.
TEST_F(Setup, NoReleasedBlockHoldsThePassword) {
    const char *marker = "Pw-7f3a9c-marker-0123456789";
    allocation_fault::watchReleasesFor(marker);
    // An address after the password, longer than it and every text: the conversions' scratch
    // grows past the password.
    MapiRecipDesc longer = recipient(MAPI_TO, "Ann Archer", "SMTP:ann.archer@northern-sales-region.example.com");
    options.password = text(marker), setTable(options, &longer, 1);
    ASSERT_EQ(setUpJob(&options), UXD_SUCCESS);
    void *block = nullptr;
    uint16_t size = 0;
    ASSERT_EQ(UXDEncodeDestinationOptions(ready.get(), &block, &size), UXD_SUCCESS);
    ASSERT_EQ(UXDEncodeDestinationOptions(ready.get(), &block, &size), UXD_SUCCESS) << "replaces the first block";
    MAPIDestinationOptions *decoded = nullptr, *back = nullptr;
    MAPIDestinationOptionsW *wide = nullptr, *wideFlat = nullptr;
    ASSERT_EQ(UXDDecodeDestinationOptions(ready.get(), &decoded), UXD_SUCCESS);
    ASSERT_EQ(UXDDestinationOptionsA2W(decoded, &wide, nullptr), UXD_SUCCESS);
    ASSERT_EQ(UXDDestinationOptionsW2A(wide, &back, nullptr), UXD_SUCCESS);
    EXPECT_STREQ(back->password, marker) << "the password survives both pointer-form conversions";
    for (MAPIDestinationOptions *record : {decoded, back}) UXDFreeDestinationOptions(0, record);
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(wide));
    ASSERT_EQ(UXDDestinationOptionsA2W(static_cast<MAPIDestinationOptions *>(block), &wideFlat, &size), UXD_SUCCESS);
    ASSERT_EQ(UXDDestinationOptionsW2A(wideFlat, &back, &size), UXD_SUCCESS);
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(wideFlat));
    UXDFreeDestinationOptions(0, back);
    UXDExportRequest request = {};
    EXPECT_EQ(UXDExportToDestination(ready.get(), &request), UXD_SUCCESS);
    // The password as a block's last text: the conversions' scratch ends holding it.
    MAPIDestinationOptions last = {};
    last.structSize = 70, last.password = text(marker);
    ASSERT_EQ(setUpJob(&last), UXD_SUCCESS);
    ASSERT_EQ(UXDEncodeDestinationOptions(ready.get(), &block, &size), UXD_SUCCESS);
    ASSERT_EQ(UXDDestinationOptionsA2W(static_cast<MAPIDestinationOptions *>(block), &wideFlat, &size), UXD_SUCCESS);
    ASSERT_EQ(UXDDestinationOptionsW2A(wideFlat, &back, &size), UXD_SUCCESS);
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(wideFlat));
    UXDFreeDestinationOptions(0, back);
    UXDTermExportDestination(ready.release(), 0);
    EXPECT_EQ(allocation_fault::releasesHoldingMarker(), 0) << "released blocks that still held the password";
    allocation_fault::watchReleasesFor(nullptr);
}

// A failed setup leaves the job's text for the host, within the module's buffer; a cancelled
// dialog gives no job and leaves the host's info pointer alone.
TEST_F(Setup, FailureLeavesItsTextAndACancelNoJob) {
    std::string longName(400, 'q');
    options.toNames = &longName[0];
    EXPECT_EQ(setUpJob(&options), UXD_E_FAILURE);
    std::string got = UXDGetErrorText(nullptr);
    if (useAddressBook()) {
        EXPECT_EQ(got, "Error 2147746063 returned by function <MAPIResolveName>.");
    } else {
        EXPECT_EQ(got.size(), 299u) << "cut to 299 characters: " << got.substr(0, 60);
        EXPECT_EQ(got.compare(0, 29, "No match could be found for <"), 0) << got;
    }
    UXDJobInfo *info = reinterpret_cast<UXDJobInfo *>(0x1234);
    void *handle = reinterpret_cast<void *>(1);
    MessageBoxWatcher dialog(IDCANCEL);  // the Send Mail dialog is the thread's first dialog
    EXPECT_EQ(UXDInitExportDestination(nullptr, 0, nullptr, host.with({}), &handle, &info), UXD_E_CANCELLED);
    EXPECT_EQ(dialog.caption(), "Send Mail");
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(info, reinterpret_cast<UXDJobInfo *>(0x1234));
}

// A mail system may move the working directory and change the locale in any of its calls.
// The host gets its locale back from every entry point and its directory when the job ends.
TEST_F(Setup, WhatTheMailSystemChangesInAnyCallIsPutBack) {
    char before[MAX_PATH], now[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    const std::string locale = setlocale(LC_ALL, nullptr), moved = mail->folder();
    const std::string resolve = useAddressBook() ? "ResolveName" : "MAPIResolveName";
    const struct { std::string call; int movedFrom; } rows[] = {  // the step after which it shows
        {"MAPILogon", 1}, {resolve, 1}, {"MAPISendMail", 2}, {"MAPILogoff", 3}};
    for (const auto &row : rows) {
        const size_t calls = mail->calls(row.call).size();
        mail->set("disturb", "directory", moved), mail->set("disturb", "locale", "German");
        mail->set("disturb", "in", row.call);
        options = {}, options.structSize = 70, options.toNames = text("Ann Archer");
        ASSERT_EQ(setUpJob(&options), UXD_SUCCESS) << row.call;
        for (int step = 1; step <= 3; ++step) {
            if (step == 2) {
                UXDExportRequest request = {};
                EXPECT_EQ(UXDExportToDestination(ready.get(), &request), UXD_SUCCESS) << row.call;
            }
            if (step == 3) UXDTermExportDestination(ready.release(), 0);
            EXPECT_EQ(setlocale(LC_ALL, nullptr), locale) << row.call << ", step " << step;
            GetCurrentDirectoryA(MAX_PATH, now);
            bool isMoved = step < 3 && step >= row.movedFrom;  // the directory waits for the end
            EXPECT_EQ(std::string(now) + "\\", isMoved ? moved : std::string(before) + "\\") << row.call << ", step " << step;
        }
        EXPECT_EQ(mail->calls(row.call).size(), calls + 1) << "the mail system made the change in " << row.call;
        SetCurrentDirectoryA(before);
    }
}
