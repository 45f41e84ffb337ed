// A job's options handed back to the host: gathering the recipients, the encoded block and
// the decoded record, and the conversions with the system's own code page.
#include <cstring>

#include "gather_recipients.h"
#include "mail_fixture.h"
#include "recipient.h"
#include "simple_mapi.h"

using namespace uxd;

namespace {
MapiRecipDesc resolvedEntry(ULONG recipClass, const char *name, const char *address, ULONG eidSize,
                            const void *eid) {
    MapiRecipDesc d = {};
    d.ulRecipClass = recipClass;
    d.lpszName = const_cast<char *>(name);
    d.lpszAddress = const_cast<char *>(address);
    d.ulEIDSize = eidSize;
    d.lpEntryID = const_cast<void *>(eid);
    return d;
}

template <class T>
T at(const void *block, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char *>(block) + offset, sizeof value);
    return value;
}

class JobOptions : public MailTest {
protected:
    void SetUp() override {
        MailTest::SetUp();
        makeJob();
        ASSERT_EQ(bindSimpleMapi(*job), UXD_SUCCESS);
    }
    std::string parsedInto(MAPIRecipient *&list, const char *text, uint32_t recipClass) {
        delete list;
        EXPECT_EQ(parseRecipients(job.get(), text, &list, recipClass), UXD_SUCCESS);
        return text;
    }
};

const unsigned char kEntryId16[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
}  // namespace

TEST_F(JobOptions, GatheringKeepsClassOrderAndAsksNothingWithoutResolving) {
    parsedInto(job->toList, "Ann Archer; Bob Carter", MAPI_TO);
    parsedInto(job->bccList, "Ghost", MAPI_BCC);
    uint32_t count = 0;
    MapiRecipDesc *table = nullptr;
    ASSERT_EQ(gatherRecipients(job.get(), false, &count, &table), UXD_SUCCESS);
    ASSERT_EQ(count, 3u);
    EXPECT_STREQ(table[0].lpszName, "Ann Archer");
    EXPECT_STREQ(table[1].lpszName, "Bob Carter");
    EXPECT_STREQ(table[2].lpszName, "Ghost");
    EXPECT_EQ(table[2].ulRecipClass, static_cast<ULONG>(MAPI_BCC));
    EXPECT_EQ(table[0].lpszName, job->toList->name) << "strings are borrowed";
    EXPECT_EQ(table[0].lpszAddress, nullptr) << "unresolved: class and name only";
    release(table);
    EXPECT_TRUE(mail->calls("MAPIResolveName").empty() && mail->calls("ResolveName").empty());
    void *block = &block;
    EXPECT_EQ(UXDEncodeDestinationOptions(nullptr, &block, nullptr), UXD_E_INVALID_ARGUMENT) << "no job";
    EXPECT_EQ(block, &block) << "out-values untouched";
    EXPECT_EQ(UXDDecodeDestinationOptions(nullptr, nullptr), UXD_E_INVALID_ARGUMENT);
}

TEST_F(JobOptions, EncodingReplacesTheBlockUnlessResolutionFails) {
    void *first = nullptr, *second = nullptr;
    uint16_t size = 0;
    ASSERT_EQ(UXDEncodeDestinationOptions(job.get(), &first, &size), UXD_SUCCESS);
    EXPECT_EQ(size, 81) << "an empty job";
    long blocks = allocation_fault::outstanding();
    strcpy(job->subjectText, "Q3");
    ASSERT_EQ(UXDEncodeDestinationOptions(job.get(), &second, &size), UXD_SUCCESS);
    EXPECT_EQ(size, 83);
    EXPECT_EQ(allocation_fault::outstanding(), blocks) << "the first block was released";

    parsedInto(job->ccList, "Bob Carter; Ghost", MAPI_CC);
    size = 4242;
    void *block = &size;
    EXPECT_EQ(UXDEncodeDestinationOptions(job.get(), &block, &size), UXD_E_FAILURE);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(size, 4242) << "size untouched";
    EXPECT_EQ(job->encodedOptions, second) << "the previous block stays";
    EXPECT_STRNE(UXDGetErrorText(job.get()), "") << "the resolution's own report stays";
    EXPECT_EQ(job->ccList->isResolved, 1u) << "Bob stays resolved for the next try";
    MAPIDestinationOptions *record = reinterpret_cast<MAPIDestinationOptions *>(&size);
    EXPECT_EQ(UXDDecodeDestinationOptions(job.get(), &record), UXD_E_FAILURE);
    EXPECT_EQ(record, nullptr);
}

TEST_F(JobOptions, DecodedRecordOwnsEverythingAndLeavesTheJobIntact) {
    strcpy(job->subjectText, "Q3 figures");
    MapiRecipDesc entries[] = {resolvedEntry(MAPI_TO, "Ann", "SMTP:a@b.c", 16, kEntryId16),
                               resolvedEntry(MAPI_CC, "Cy", "SMTP:c@d.e", 0, nullptr)};
    ASSERT_EQ(setRecipientsFromTable(job.get(), 2, entries), UXD_SUCCESS);
    MAPIDestinationOptions *record = nullptr;
    ASSERT_EQ(UXDDecodeDestinationOptions(job.get(), &record), UXD_SUCCESS);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(at<uint16_t>(record, 0), 70);
    EXPECT_EQ(at<uint16_t>(record, 68), 0) << "pointer form";
    const size_t textFields[] = {2, 10, 18, 26, 34, 52, 60};
    for (size_t field : textFields) ASSERT_NE(at<char *>(record, field), nullptr) << "every text is there";
    EXPECT_STREQ(at<char *>(record, 26), "Q3 figures");
    EXPECT_STREQ(at<char *>(record, 2), "");
    ASSERT_EQ(at<uint16_t>(record, 42), 2);
    UXDRecipDesc *table = at<UXDRecipDesc *>(record, 44);
    EXPECT_STREQ(table[0].lpszName, "Ann");
    EXPECT_NE(table[0].lpEntryID, job->toList->resolved->lpEntryID) << "a separate allocation";
    EXPECT_EQ(memcmp(table[0].lpEntryID, kEntryId16, 16), 0);
    EXPECT_EQ(table[1].lpEntryID, nullptr);
    EXPECT_EQ(UXDFreeDestinationOptions(0, record), 0);
    EXPECT_EQ(memcmp(job->toList->resolved->lpEntryID, kEntryId16, 16), 0) << "the job's copy survives";
    void *block = nullptr;
    uint16_t size = 0;
    EXPECT_EQ(UXDEncodeDestinationOptions(job.get(), &block, &size), UXD_SUCCESS);
}

TEST_F(JobOptions, LatinTextSurvivesTheRoundTripThroughUtf16) {
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    strcpy(job->subjectText, "Gr\xFC\xDF" "e an J\xFCrgen");
    strcpy(job->messageText, "Caf\xE9 \x80 5");
    MapiRecipDesc entry = resolvedEntry(MAPI_TO, "J\xFCrgen", "SMTP:j@b.c", 16, kEntryId16);
    ASSERT_EQ(setRecipientsFromTable(job.get(), 1, &entry), UXD_SUCCESS);
    void *block = nullptr;
    uint16_t size = 0;
    ASSERT_EQ(UXDEncodeDestinationOptions(job.get(), &block, &size), UXD_SUCCESS);

    MAPIDestinationOptionsW *wide = nullptr;
    uint16_t wideSize = 0;
    ASSERT_EQ(UXDDestinationOptionsA2W(static_cast<MAPIDestinationOptions *>(block), &wide, &wideSize), 0);
    const UXDWideChar *subject = reinterpret_cast<const UXDWideChar *>(
        reinterpret_cast<char *>(wide) + at<uint64_t>(wide, 26));
    EXPECT_EQ(std::wstring(subject), L"Gr\u00FC\u00DFe an J\u00FCrgen");

    auto w2a = reinterpret_cast<UXDDestinationOptionsW2AProc>(&UXDDestinationOptionsW2A);
    MAPIDestinationOptions *back = nullptr;
    uint16_t backSize = 0;
    ASSERT_EQ(w2a(wide, &back, &backSize), 0);
    auto text = [&](size_t field) { return std::string(reinterpret_cast<char *>(back) + at<uint64_t>(back, field)); };
    EXPECT_EQ(text(26), job->subjectText);
    EXPECT_EQ(text(34), job->messageText) << "the euro sign too";
    const char *name = reinterpret_cast<char *>(back) + at<uint64_t>(back, at<uint64_t>(back, 44) + 8);
    EXPECT_STREQ(name, "J\xFCrgen");
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(wide));
    UXDFreeDestinationOptions(0, back);
}
