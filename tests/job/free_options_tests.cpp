// UXDFreeDestinationOptions for every kind of record: each block it must release is
// released (the seam's count returns to where it was) and nothing else is touched.
#include <gtest/gtest.h>

#include <cstring>

#include "allocation.h"
#include "uxdmapi.h"

using namespace uxd;

namespace {
char *text(const char *value) { return duplicateText(value); }

UXDRecipDesc *table(uint16_t count) {
    auto *entries = static_cast<UXDRecipDesc *>(allocateZeroed(count, sizeof(UXDRecipDesc)));
    for (uint16_t i = 0; i < count; ++i) {
        entries[i].ulRecipClass = 1;
        entries[i].lpszName = text("Ann");
        if (i % 2) entries[i].lpszAddress = text("SMTP:ann@example.com");
        if (i % 2) {
            entries[i].ulEIDSize = 4;
            entries[i].lpEntryID = allocate(4);
        }
    }
    return entries;
}

MAPIDestinationOptions *record(uint16_t structSize) {
    auto *options = static_cast<MAPIDestinationOptions *>(allocateZeroed(1, sizeof(MAPIDestinationOptions)));
    options->structSize = structSize;
    return options;
}
}  // namespace

TEST(FreeDestinationOptions, PointerFormReleasesEveryStringAndEntry) {
    EXPECT_EQ(UXDFreeDestinationOptions(0, nullptr), 0) << "null is fine";
    long before = allocation_fault::outstanding();
    MAPIDestinationOptions *options = record(70);
    options->toNames = text("Ann; Bob");
    options->subject = text("Q3");
    options->message = text("");
    options->password = text("secret");  // cc, bcc and profile stay null
    options->nRecipients = 3;
    options->recipients = table(3);
    EXPECT_EQ(UXDFreeDestinationOptions(0, options), 0);
    EXPECT_EQ(allocation_fault::outstanding(), before);

    options = record(70);  // no table at all
    options->ccNames = text("Cy");
    EXPECT_EQ(UXDFreeDestinationOptions(7, options), 0) << "the first argument is not read";
    EXPECT_EQ(allocation_fault::outstanding(), before);
}

TEST(FreeDestinationOptions, FlatBlockIsOneAllocation) {
    long before = allocation_fault::outstanding();
    // Offsets stand where pointers would: freeing any of them would corrupt the heap.
    auto *block = static_cast<unsigned char *>(allocateZeroed(81, 1));
    UXDEncodedOptionsHeader head = {};
    head.structSize = 70;
    head.toNames = 74;
    head.ccNames = 75;
    head.recipients = 76;
    head.nRecipients = 1;
    head.flatSize = 81;
    std::memcpy(block, &head, sizeof head);
    EXPECT_EQ(UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(block)), 0);
    EXPECT_EQ(allocation_fault::outstanding(), before);
}

TEST(FreeDestinationOptions, OlderLayoutFreesOnlyTheRecord) {
    MAPIDestinationOptions *options = record(52);
    char *to = text("Ann");
    UXDRecipDesc *entries = table(1);
    options->toNames = to;
    options->nRecipients = 1;
    options->recipients = entries;
    long before = allocation_fault::outstanding();
    EXPECT_EQ(UXDFreeDestinationOptions(0, options), 0);
    EXPECT_EQ(allocation_fault::outstanding(), before - 1) << "the record block alone";
    EXPECT_STREQ(to, "Ann") << "its strings are not the module's to release";
    release(entries[0].lpszName);
    release(entries);
    release(to);
}
