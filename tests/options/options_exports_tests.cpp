// A job's options handed back to the host: gathering the recipients, the encoded block and
// the decoded record, and the conversions with the system's own code page. (The conversions
// out of memory: the allocation-failure fuzz target, natively.)
#include <algorithm>

#include "byte_fields.h"
#include "encoded_options.h"
#include "gather_recipients.h"
#include "mail_fixture.h"
#include "recipient.h"
#include "simple_mapi.h"

using namespace uxd;

namespace {
const unsigned char kEntryId[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
MapiRecipDesc entry(ULONG recipClass, const char *name, ULONG eidSize = 16) {
    return recipient(recipClass, name, "SMTP:a@b.c", eidSize, eidSize ? const_cast<unsigned char *>(kEntryId) : nullptr);
}

class JobOptions : public MailTest {
protected:
    void SetUp() override {
        MailTest::SetUp();
        makeJob();
        ASSERT_EQ(bindSimpleMapi(*job), UXD_SUCCESS);
    }
    void parse(MAPIRecipient *&list, const char *text, uint32_t recipClass) {
        EXPECT_EQ(parseRecipients(job.get(), text, &list, recipClass), UXD_SUCCESS);
    }
};
}  // namespace

TEST_F(JobOptions, GatheringKeepsClassOrderWithoutResolvingAndEncodingReplacesTheBlock) {
    parse(job->toList.head, "Ann Archer; Bob Carter", MAPI_TO);
    parse(job->bccList.head, "Ghost", MAPI_BCC);
    uint32_t count = 0;
    MapiRecipDesc *table = nullptr;
    ASSERT_EQ(gatherRecipients(job.get(), false, &count, &table), UXD_SUCCESS);
    ASSERT_EQ(count, 3u);
    const char *names[] = {"Ann Archer", "Bob Carter", "Ghost"};
    for (int i = 0; i < 3; ++i) EXPECT_STREQ(table[i].lpszName, names[i]) << "entry " << i;
    EXPECT_EQ(table[2].ulRecipClass, static_cast<ULONG>(MAPI_BCC));
    EXPECT_EQ(table[0].lpszAddress, nullptr) << "unresolved: class and name only";
    release(table);
    EXPECT_TRUE(mail->calls("MAPIResolveName").empty() && mail->calls("ResolveName").empty());

    // Encoding resolves; it replaces the job's block unless resolution fails.
    makeJob();
    ASSERT_EQ(bindSimpleMapi(*job), UXD_SUCCESS);
    void *first = nullptr, *second = nullptr;
    uint16_t size = 0;
    ASSERT_EQ(UXDEncodeDestinationOptions(job.get(), &first, &size), UXD_SUCCESS);
    long blocks = allocation_fault::outstanding();
    strcpy(job->subjectText, "Q3");
    ASSERT_EQ(UXDEncodeDestinationOptions(job.get(), &second, &size), UXD_SUCCESS);
    EXPECT_EQ(size, 83) << "81 for an empty job, and the subject";
    EXPECT_EQ(allocation_fault::outstanding(), blocks) << "the first block was released";
    parse(job->ccList.head, "Bob Carter; Ghost", MAPI_CC);
    void *block = &size;
    EXPECT_EQ(UXDEncodeDestinationOptions(job.get(), &block, &size), UXD_E_FAILURE);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(job->encodedOptions, second) << "the previous block stays";
}

TEST_F(JobOptions, DecodedRecordOwnsSeparateCopies) {
    strcpy(job->subjectText, "Q3 figures");
    MapiRecipDesc entries[] = {entry(MAPI_TO, "Ann"), entry(MAPI_CC, "Cy", 0)};
    ASSERT_EQ(setRecipientsFromTable(job.get(), 2, entries), UXD_SUCCESS);
    MAPIDestinationOptions *record = nullptr;
    ASSERT_EQ(UXDDecodeDestinationOptions(job.get(), &record), UXD_SUCCESS);
    EXPECT_EQ(record->flatSize, 0) << "pointer form";
    EXPECT_STREQ(record->subject, "Q3 figures");
    EXPECT_NE(record->subject, job->subjectText);
    ASSERT_EQ(record->nRecipients, 2);
    EXPECT_STREQ(record->recipients[0].lpszName, "Ann");
    EXPECT_NE(record->recipients[0].lpEntryID, job->toList.head->resolved->lpEntryID) << "a separate allocation";
    EXPECT_EQ(memcmp(record->recipients[0].lpEntryID, kEntryId, 16), 0);
    EXPECT_EQ(record->recipients[1].lpEntryID, nullptr);
    EXPECT_EQ(UXDFreeDestinationOptions(0, record), 0);
    EXPECT_EQ(memcmp(job->toList.head->resolved->lpEntryID, kEntryId, 16), 0) << "the job's copy survives";
}

// Run in code page 1252 (options_tests) and 932 (options_tests_ja): a double-byte page needs
// more ANSI room than one byte a character.
TEST_F(JobOptions, TextOfTheSystemCodePageSurvivesTheRoundTripThroughUtf16) {
    const struct { UINT codePage; const char *subject, *name; const wchar_t *wideSubject; } pages[] = {
        {1252, "Gr\xFC\xDF" "e an J\xFCrgen \x80", "J\xFCrgen", L"Gr\u00FC\u00DFe an J\u00FCrgen \u20AC"},
        {932, "\x8E\x52\x93\x63\x91\xBE\x98\x59 \x97\x6C", "\x8E\x52\x93\x63", L"\u5C71\u7530\u592A\u90CE \u69D8"}};
    const auto page = std::find_if(std::begin(pages), std::end(pages), [](auto &p) { return p.codePage == GetACP(); });
    if (page == std::end(pages)) GTEST_SKIP() << "code page " << GetACP();
    strcpy(job->subjectText, page->subject);
    MapiRecipDesc named = entry(MAPI_TO, page->name);
    ASSERT_EQ(setRecipientsFromTable(job.get(), 1, &named), UXD_SUCCESS);
    void *block = nullptr;
    uint16_t size = 0;
    ASSERT_EQ(UXDEncodeDestinationOptions(job.get(), &block, &size), UXD_SUCCESS);
    MAPIDestinationOptionsW *wide = nullptr;
    MAPIDestinationOptions *back = nullptr;
    ASSERT_EQ(UXDDestinationOptionsA2W(static_cast<MAPIDestinationOptions *>(block), &wide, &size), 0);
    const char *w = reinterpret_cast<char *>(wide);
    EXPECT_EQ(std::wstring(reinterpret_cast<const UXDWideChar *>(w + readField<uint64_t>(w, 26))), page->wideSubject);
    ASSERT_EQ(reinterpret_cast<UXDDestinationOptionsW2AProc>(&UXDDestinationOptionsW2A)(wide, &back, &size), 0);
    const char *b = reinterpret_cast<char *>(back);
    EXPECT_STREQ(b + readField<uint64_t>(b, 26), job->subjectText) << "every character back";
    EXPECT_STREQ(b + readField<uint64_t>(b, readField<uint64_t>(b, 44) + 8), page->name);
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(wide));
    UXDFreeDestinationOptions(0, back);
}
