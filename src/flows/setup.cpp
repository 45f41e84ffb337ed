// Setting an export job up for the host: silently from destination options, or through the
// Send Mail dialog.
#include "setup.h"

#include <windows.h>

#include <clocale>
#include <cstring>

#include "allocation.h"
#include "byte_fields.h"
#include "export_job.h"
#include "flat_block.h"
#include "module_state.h"
#include "owned_block.h"
#include "process_state.h"
#include "recipient.h"
#include "resolution.h"
#include "send_mail_dialog.h"
#include "simple_mapi.h"
#include "win32_resources.h"

using namespace uxd;

namespace {

// Copies one option text into its job buffer; 5 when it does not fit with its terminator.
UXDResult takeText(MAPIDestination &job, int index, const char *text, size_t length) noexcept {
    if (!text) return UXD_SUCCESS;
    char *buffer = job.*kJobTexts[index].buffer;
    if (length + 1 > kJobTexts[index].size) return UXD_E_INVALID_ARGUMENT;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return UXD_SUCCESS;
}

// A flat entry read in place: its strings are terminated inside the block.
MapiRecipDesc inPlace(const FlatEntry &entry) noexcept {
    MapiRecipDesc row = {};
    row.ulReserved = entry.ulReserved;
    row.ulRecipClass = entry.ulRecipClass;
    row.lpszName = const_cast<char *>(reinterpret_cast<const char *>(entry.name.bytes));
    row.lpszAddress = const_cast<char *>(reinterpret_cast<const char *>(entry.address.bytes));
    row.ulEIDSize = entry.ulEIDSize;
    row.lpEntryID = const_cast<unsigned char *>(entry.entryId);
    return row;
}

// The block's entries, read in place for the lists to copy.
UXDResult takeFlatTable(MAPIDestination &job, const FlatBlockView &view) noexcept {
    unique_block<MapiRecipDesc> rows(
        static_cast<MapiRecipDesc *>(allocateZeroed(view.nRecipients, sizeof(MapiRecipDesc))));
    if (!rows) return UXD_E_OUT_OF_MEMORY;
    for (uint16_t i = 0; i < view.nRecipients; ++i) rows.get()[i] = inPlace(view.entry(i));
    return setRecipientsFromTable(&job, view.nRecipients, rows.get());
}

// An encoded block handed back by the host: every offset is checked against its size before
// anything is taken. Its counts are not: setup copies what the offsets designate.
UXDResult takeFlatOptions(MAPIDestination &job, const MAPIDestinationOptions *options,
                          uint16_t &recipientCount) noexcept {
    FlatBlockView view;
    UXDResult rc = readFlatBlock(options, TextWidth::Ansi, &view, FlatCheck::Bounds);
    if (rc != UXD_SUCCESS) return rc;
    for (int i = 0; i < kOptionTextCount; ++i) {
        const FlatText &text = view.texts[i];
        rc = takeText(job, i, reinterpret_cast<const char *>(text.bytes), text.bytes ? text.byteLength - 1 : 0);
        if (rc != UXD_SUCCESS) return rc;
    }
    recipientCount = view.nRecipients;
    if (recipientCount == 0) return UXD_SUCCESS;
    return takeFlatTable(job, view);
}

UXDResult takePointerText(MAPIDestination &job, const MAPIDestinationOptions *options, int index) noexcept {
    auto *text = readField<const char *>(options, kOptionTextField[index]);
    return takeText(job, index, text, text ? std::strlen(text) : 0);
}

// The record as the host built it: the texts, the host's table (only read), and the logon
// data when the record is of the current layout.
UXDResult takePointerOptions(MAPIDestination &job, const MAPIDestinationOptions *options,
                             uint16_t &recipientCount) noexcept {
    for (int i = kToNames; i <= kMessage; ++i) {
        UXDResult rc = takePointerText(job, options, i);
        if (rc != UXD_SUCCESS) return rc;
    }
    recipientCount = readField<uint16_t>(options, kCountField);
    if (recipientCount) {
        auto *table = readField<const MapiRecipDesc *>(options, kTableField);
        if (!table) return UXD_E_INVALID_ARGUMENT;  // a count without a table
        UXDResult rc = setRecipientsFromTable(&job, recipientCount, table);
        if (rc != UXD_SUCCESS) return rc;
    }
    if (readField<uint16_t>(options, kStructSizeField) != UXD_OPTIONS_SIZE)
        return UXD_SUCCESS;  // an older layout: no logon data
    for (int i = kProfileName; i <= kPassword; ++i) {
        UXDResult rc = takePointerText(job, options, i);
        if (rc != UXD_SUCCESS) return rc;
    }
    return UXD_SUCCESS;
}

UXDResult takeOptions(MAPIDestination &job, const MAPIDestinationOptions *options,
                      uint16_t &recipientCount) noexcept {
    bool flat = readField<uint16_t>(options, kStructSizeField) == UXD_OPTIONS_SIZE &&
                readField<uint16_t>(options, kFlatSizeField) != 0;
    return flat ? takeFlatOptions(job, options, recipientCount) : takePointerOptions(job, options, recipientCount);
}

// The working directory, which loading the mail system may change. A directory that cannot
// be read is not an error (the job then leaves it alone); running out of memory is.
UXDResult saveCurrentDirectory(MAPIDestination &job) noexcept {
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0) return UXD_SUCCESS;
    auto *directory = static_cast<wchar_t *>(allocateZeroed(length + size_t{1}, sizeof(wchar_t)));
    if (!directory) return UXD_E_OUT_OF_MEMORY;
    DWORD read = GetCurrentDirectoryW(length + 1, directory);
    if (read == 0 || read > length) {
        release(directory);
        return UXD_SUCCESS;
    }
    job.savedDirectory.reset(directory);
    return UXD_SUCCESS;
}

// Silently: parse and resolve each name text unless a table gave the lists, then write the
// lists back as the texts.
UXDResult prepareRecipientsSilently(MAPIDestination &job, uint16_t recipientCount) noexcept {
    if (recipientCount == 0) {
        struct {
            char *text;
            MAPIRecipient **list;
            uint32_t recipClass;
        } boxes[] = {{job.toText, &job.toList.head, MAPI_TO}, {job.ccText, &job.ccList.head, MAPI_CC},
                     {job.bccText, &job.bccList.head, MAPI_BCC}};
        for (auto &box : boxes) {
            UXDResult rc = parseRecipients(&job, box.text, box.list, box.recipClass);
            if (rc == UXD_SUCCESS) rc = resolveRecipients(&job, *box.list, false, nullptr);
            if (rc != UXD_SUCCESS) return rc;
        }
    }
    // A text cut short loses nobody: the lists carry the recipients, to the send and into
    // the options the host reads back (their table); the texts are for people to read.
    joinRecipients(&job, job.toList.head, job.toText, kRecipientTextSize);
    joinRecipients(&job, job.ccList.head, job.ccText, kRecipientTextSize);
    joinRecipients(&job, job.bccList.head, job.bccText, kRecipientTextSize);
    return UXD_SUCCESS;
}

// Everything setup does before the dialog: one wait cursor for all of it (loading the mail
// system, logging on, resolving), put back on every path.
UXDResult prepare(MAPIDestination &job, const MAPIDestinationOptions *options) noexcept {
    WaitCursor wait;
    if (job.allocateTextBuffers() != UXD_SUCCESS) return UXD_E_OUT_OF_MEMORY;
    job.savedLocale.reset(duplicateText(std::setlocale(LC_ALL, nullptr)));
    if (!job.savedLocale) return UXD_E_OUT_OF_MEMORY;
    uint16_t recipientCount = 0;
    if (options) {
        UXDResult rc = takeOptions(job, options, recipientCount);
        if (rc != UXD_SUCCESS) return rc;
    }
    if (saveCurrentDirectory(job) != UXD_SUCCESS) return UXD_E_OUT_OF_MEMORY;
    UXDResult bound = bindSimpleMapi(job);
    putBackLocale(job.savedLocale);  // loading the mail system may have changed it
    if (bound != UXD_SUCCESS) return bound;
    return options ? prepareRecipientsSilently(job, recipientCount) : UXD_SUCCESS;
}

// The dialog is the user's time, not a wait: its commands show the cursor while they work.
UXDResult setUp(MAPIDestination &job, const MAPIDestinationOptions *options) noexcept {
    UXDResult rc = prepare(job, options);
    if (rc == UXD_SUCCESS && !options) rc = runSendMailDialog(job);
    putBackLocale(job.savedLocale);  // resolving and the address book may have changed it again
    return rc;
}

}  // namespace

namespace uxd {

UXDResult setUpJob(HWND parent, const MAPIDestinationOptions *options, const UXDExportRecord *exportRecord,
                   MAPIDestination **jobOut) noexcept {
    unique_job job(new MAPIDestination(parent, exportRecord));
    if (!job) return UXD_E_OUT_OF_MEMORY;
    UXDResult rc = setUp(*job, options);
    if (rc != UXD_SUCCESS) {
        setModuleErrorText(job->errorMessage());  // the host asks UXDGetErrorText(NULL) why
        return rc;
    }
    *jobOut = job.release();
    return UXD_SUCCESS;
}

}  // namespace uxd
