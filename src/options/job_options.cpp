// A job's options handed back to the host: as an encoded (flat) block the job keeps, or as
// a pointer-form record the host releases with UXDFreeDestinationOptions.
#include "job_options.h"

#include <windows.h>
#include <mapi.h>

#include <cstring>

#include "allocation.h"
#include "byte_fields.h"
#include "encoded_options.h"
#include "flat_block.h"
#include "gather_recipients.h"
#include "owned_block.h"
#include "recipient_row.h"
#include "win32_resources.h"

static_assert(sizeof(MapiRecipDesc) == sizeof(UXDRecipDesc), "the public entry is MapiRecipDesc");
static_assert(offsetof(MapiRecipDesc, lpEntryID) == offsetof(UXDRecipDesc, lpEntryID), "same layout");

using namespace uxd;

namespace {

// A gathered table, released as a bare array: its strings belong to the recipients.
struct GatheredTable {
    uint32_t count = 0;
    unique_block<MapiRecipDesc> rows;
};

UXDResult gather(MAPIDestination *job, GatheredTable &gathered) noexcept {
    return gatherRecipients(job, true, &gathered.count, gathered.rows.put());
}

UXDResult gatherResolving(MAPIDestination *job, GatheredTable &gathered) noexcept {
    WaitCursor wait;  // resolving may ask the mail system
    return gather(job, gathered);
}

const char *const *jobTexts(const MAPIDestination &job, const char *(&texts)[kOptionTextCount]) {
    for (int i = 0; i < kOptionTextCount; ++i) texts[i] = job.*kJobTexts[i].buffer;
    return texts;
}

// A record's own copy of a gathered table; false when the table itself cannot be had. A
// part of a row that cannot be copied stays null: the record stays whole and freeable.
bool copyTable(const GatheredTable &gathered, UXDRecipDesc **table) noexcept {
    *table = nullptr;
    if (gathered.count == 0) return true;
    WaitCursor wait;
    auto *copy = static_cast<UXDRecipDesc *>(allocateZeroed(gathered.count, sizeof(UXDRecipDesc)));
    if (!copy) return false;
    for (uint32_t i = 0; i < gathered.count; ++i) copyRecipientRow(gathered.rows.get()[i], copy[i]);
    *table = copy;
    return true;
}

}  // namespace

UXDResult uxd::encodeJobOptions(MAPIDestination *job, void **block, uint16_t *size) noexcept {
    *block = nullptr;
    GatheredTable gathered;
    UXDResult rc = gatherResolving(job, gathered);
    if (rc != UXD_SUCCESS) return rc;  // the previous block stays

    job->encodedOptions.reset();  // replaced, or gone if the new one cannot be made
    const char *texts[kOptionTextCount];
    unsigned char *encoded = nullptr;
    uint16_t flatSize = 0;
    rc = encodeOptions(jobTexts(*job, texts), reinterpret_cast<const UXDRecipDesc *>(gathered.rows.get()),
                       gathered.count, &encoded, &flatSize);
    if (rc != UXD_SUCCESS) return rc;
    job->encodedOptions.reset(encoded);
    *block = encoded;
    *size = flatSize;
    return UXD_SUCCESS;
}

UXDResult uxd::decodeJobOptions(MAPIDestination *job, MAPIDestinationOptions **record) noexcept {
    *record = nullptr;
    auto *options = static_cast<MAPIDestinationOptions *>(allocateZeroed(1, sizeof(MAPIDestinationOptions)));
    if (!options) return UXD_E_OUT_OF_MEMORY;
    GatheredTable gathered;
    UXDResult rc = gather(job, gathered);
    if (rc != UXD_SUCCESS) {
        release(options);
        return rc;
    }
    if (gathered.count > 0xFFFF) {  // more than the record's 16-bit count can describe
        release(options);
        return UXD_E_INVALID_ARGUMENT;
    }
    writeField<uint16_t>(options, kStructSizeField, UXD_OPTIONS_SIZE);
    const char *texts[kOptionTextCount];
    jobTexts(*job, texts);
    for (int i = 0; i < kOptionTextCount; ++i) {
        char *copy = duplicateText(texts[i] ? texts[i] : "");
        writeField<char *>(options, kOptionTextField[i], copy);
        if (!copy) {
            releaseOptionsRecord(options);  // the copies made so far and the record
            return UXD_E_OUT_OF_MEMORY;
        }
    }
    UXDRecipDesc *table = nullptr;
    if (!copyTable(gathered, &table)) {
        releaseOptionsRecord(options);
        return UXD_E_OUT_OF_MEMORY;
    }
    writeField<UXDRecipDesc *>(options, kTableField, table);
    writeField<uint16_t>(options, kCountField, static_cast<uint16_t>(gathered.count));
    writeField<uint16_t>(options, kFlatSizeField, 0);
    *record = options;
    return UXD_SUCCESS;
}
