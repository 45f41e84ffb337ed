// A job's options handed back to the host: gathering the recipients, the encoded block and
// the decoded record, and the conversions with the system's own code page and out of memory.
#include <functional>

#include "allocation_sweep.h"
#include "byte_fields.h"
#include "encoded_options.h"
#include "gather_recipients.h"
#include "mail_fixture.h"
#include "recipient.h"
#include "simple_mapi.h"

using namespace uxd;

namespace {
template <class T>
T at(const void *block, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char *>(block) + offset, sizeof value);
    return value;
}

const unsigned char kEntryId[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
MapiRecipDesc entry(ULONG recipClass, const char *name, ULONG eidSize = 16) {
    return {0, recipClass, const_cast<char *>(name), const_cast<char *>("SMTP:a@b.c"), eidSize,
            eidSize ? const_cast<unsigned char *>(kEntryId) : nullptr};
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

TEST_F(JobOptions, GatheringKeepsClassOrderAndAsksNothingWithoutResolving) {
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
    void *block = &block;
    EXPECT_EQ(UXDEncodeDestinationOptions(nullptr, &block, nullptr), UXD_E_INVALID_ARGUMENT) << "no job";
    EXPECT_EQ(block, &block) << "out-values untouched";
    EXPECT_EQ(UXDDecodeDestinationOptions(nullptr, nullptr), UXD_E_INVALID_ARGUMENT);
}

TEST_F(JobOptions, EncodingReplacesTheBlockUnlessResolutionFails) {
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

TEST_F(JobOptions, LatinTextSurvivesTheRoundTripThroughUtf16) {
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    strcpy(job->subjectText, "Gr\xFC\xDF" "e an J\xFCrgen \x80");
    MapiRecipDesc jurgen = entry(MAPI_TO, "J\xFCrgen");
    ASSERT_EQ(setRecipientsFromTable(job.get(), 1, &jurgen), UXD_SUCCESS);
    void *block = nullptr;
    uint16_t size = 0;
    ASSERT_EQ(UXDEncodeDestinationOptions(job.get(), &block, &size), UXD_SUCCESS);
    MAPIDestinationOptionsW *wide = nullptr;
    MAPIDestinationOptions *back = nullptr;
    ASSERT_EQ(UXDDestinationOptionsA2W(static_cast<MAPIDestinationOptions *>(block), &wide, &size), 0);
    const char *w = reinterpret_cast<char *>(wide);
    EXPECT_EQ(std::wstring(reinterpret_cast<const UXDWideChar *>(w + at<uint64_t>(w, 26))),
              L"Gr\u00FC\u00DFe an J\u00FCrgen \u20AC");
    ASSERT_EQ(reinterpret_cast<UXDDestinationOptionsW2AProc>(&UXDDestinationOptionsW2A)(wide, &back, &size), 0);
    const char *b = reinterpret_cast<char *>(back);
    EXPECT_STREQ(b + at<uint64_t>(b, 26), job->subjectText) << "the euro sign too";
    EXPECT_STREQ(b + at<uint64_t>(b, at<uint64_t>(b, 44) + 8), "J\xFCrgen");
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(wide));
    UXDFreeDestinationOptions(0, back);
}

// Each allocation of each conversion fails in turn: 2, or in a pointer-form result a string
// left null; the result otherwise the clean run's, nothing left behind, and freeing a result
// allocates nothing.
TEST(Conversions, EachFailingAllocationGivesTwoOrAMissingString) {
    unsigned char eid[] = {0xA1, 0xA2, 0xA3, 0xA4};
    UXDRecipDesc rows[] = {{0, MAPI_TO, const_cast<char *>("Ann Archer"), const_cast<char *>("SMTP:ann@example.com"), 4, eid},
                           {0, MAPI_CC, const_cast<char *>("Bob"), nullptr, 0, nullptr}};
    const char *texts[kOptionTextCount] = {"Ann Archer", "Bob", "", "Sales", "The figures.", nullptr, "s3cret"};
    MAPIDestinationOptions pointers = {};
    pointers.structSize = 70, pointers.nRecipients = 2, pointers.recipients = rows;
    for (int i = 0; i < kOptionTextCount; ++i) writeField<const char *>(&pointers, kOptionTextField[i], texts[i]);
    unsigned char *flat = nullptr;
    uint16_t size = 0;
    ASSERT_EQ(encodeOptions(texts, rows, 2, &flat, &size), UXD_SUCCESS);
    MAPIDestinationOptionsW *widePointers = nullptr, *wideFlat = nullptr;
    ASSERT_EQ(UXDDestinationOptionsA2W(&pointers, &widePointers, nullptr), UXD_SUCCESS);
    ASSERT_EQ(UXDDestinationOptionsA2W(reinterpret_cast<MAPIDestinationOptions *>(flat), &wideFlat, nullptr), UXD_SUCCESS);

    using Convert = std::function<UXDResult(void **)>;
    const struct { const char *path; Convert convert; bool flatResult, wideResult; } cases[] = {
        {"A2W, pointer form", [&](void **r) { return UXDDestinationOptionsA2W(&pointers, reinterpret_cast<MAPIDestinationOptionsW **>(r), nullptr); }, false, true},
        {"A2W, flat", [&](void **r) { return UXDDestinationOptionsA2W(reinterpret_cast<MAPIDestinationOptions *>(flat), reinterpret_cast<MAPIDestinationOptionsW **>(r), nullptr); }, true, true},
        {"W2A, pointer form", [&](void **r) { return UXDDestinationOptionsW2A(widePointers, reinterpret_cast<MAPIDestinationOptions **>(r), nullptr); }, false, false},
        {"W2A, flat", [&](void **r) { return UXDDestinationOptionsW2A(wideFlat, reinterpret_cast<MAPIDestinationOptions **>(r), nullptr); }, true, false},
    };
    for (const auto &c : cases) {
        RecordSnapshot clean;
        std::string cleanBytes;
        auto scenario = [&](SweepRun &run) {
            SweepOutcome outcome;
            void *result = nullptr;
            run.arm();
            outcome.code = c.convert(&result);
            run.disarm();
            outcome.expect((outcome.code == UXD_SUCCESS) == (result != nullptr), "a result exactly on success");
            if (result && c.flatResult) {
                std::string bytes(static_cast<char *>(result), readField<uint16_t>(result, kFlatSizeField));
                if (cleanBytes.empty()) cleanBytes = bytes;
                outcome.expect(bytes == cleanBytes, "the block differs from the clean run's");
            } else if (result) {
                RecordSnapshot got = snapshotRecord(result, c.wideResult);
                if (clean.strings.empty()) clean = got;
                compareRecords(got, clean, Degradation::ConvertedStringMissing, outcome);
            }
            allocation_fault::failAt(0);
            UXDFreeDestinationOptions(0, static_cast<MAPIDestinationOptions *>(result));
            outcome.expect(allocation_fault::attempts() == 0, "freeing a record allocated");
            return outcome;
        };
        EXPECT_EQ(sweepAllocations(c.path, {Degradation::ConvertedStringMissing}, scenario).unexpected, 0u);
    }
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(widePointers));
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(wideFlat));
    release(flat);
}
