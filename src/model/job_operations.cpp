// The export job's own services: recording errors, reporting Simple MAPI results, naming
// attachments, picking from counted arrays and reporting a missing MAPI function.
#include <cstring>

#include "allocation.h"
#include "attachment_name.h"
#include "byte_fields.h"
#include "export_job.h"
#include "format_text.h"
#include "module_state.h"
#include "resource_ids.h"

namespace uxd {

UXDResult mapiResultToCode(uint32_t mapiResult) noexcept {
    static const struct {
        uint32_t mapiResult;
        UXDResult code;
    } table[] = {
        {SUCCESS_SUCCESS, UXD_SUCCESS},
        {MAPI_E_USER_ABORT, UXD_E_CANCELLED},
        {MAPI_E_LOGIN_FAILURE, UXD_E_FAILURE},
        {MAPI_E_DISK_FULL, UXD_E_DISK_FULL},
        {MAPI_E_INSUFFICIENT_MEMORY, UXD_E_OUT_OF_MEMORY},
        {MAPI_E_NOT_SUPPORTED, UXD_E_NOT_SUPPORTED},
    };
    for (const auto &row : table)
        if (row.mapiResult == mapiResult) return row.code;
    return UXD_E_FAILURE;
}

namespace {
// Texts used when the resource manager supplies none, so a report is never blank.
const char *builtInText(unsigned id) {
    switch (id) {
    case IDS_NO_MATCH: return "No match could be found for <%s>.";
    case IDS_AMBIGUOUS: return "<%s> is ambiguous.";
    case IDS_MAPI_ERROR: return "Error %u returned by function <%s>.";
    case IDS_MAPI_CAPTION: return "MAPI Destination";
    case IDS_TO_REQUIRED: return "A name must be given in the To box.";
    case IDS_FUNCTION_MISSING: return "Function <%s> is missing from <MAPI.DLL>";
    case IDS_MAPI_NOT_LOADED: return "Couldn't load <MAPI.DLL>.";
    case IDS_MAPI_NOT_CONFIGURED: return "MAPI services not installed or not configured";
    default: return "";
    }
}

bool isLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

// The per-file record's fields and the record's file array, placed by the public header.
constexpr std::size_t kFileHasName = offsetof(UXDExportFile, hasFileName), kFileName = offsetof(UXDExportFile, fileName),
                      kFilePattern = offsetof(UXDExportFile, fileNamePattern),
                      kRecordFiles = offsetof(UXDExportRecord, files);
}  // namespace

void loadText(uint32_t language, unsigned id, char (&buffer)[kMessageBufferSize]) noexcept {
    if (!RMLoadStringA(module.resourceSession, static_cast<WORD>(language), id, buffer,
                       kMessageBufferSize - 1))
        copyText(buffer, kMessageBufferSize, builtInText(id));
}

}  // namespace uxd

using namespace uxd;

void MAPIDestination::loadText(unsigned id, char (&buffer)[kMessageBufferSize]) const noexcept {
    uxd::loadText(language, id, buffer);
}

UXDResult MAPIDestination::setError(UXDResult code, const char *text) noexcept {
    errorCode = code;
    const char *kept = code == UXD_E_FAILURE && text ? text : "";
    errorText.reset(duplicateText(kept));
    // Out of memory must not cost the host its explanation: every text recorded here fits
    // the spare buffer whole (they are formatted into buffers of at most that size).
    if (!errorText) copyText(spareErrorText, sizeof spareErrorText, kept);
    return code;
}

const char *MAPIDestination::errorMessage() const noexcept { return errorText ? errorText : spareErrorText; }

UXDResult MAPIDestination::reportMapiResult(uint32_t showBox, uint32_t mapiResult,
                                            const char *functionName) noexcept {
    char message[kMessageBufferSize] = "";
    if (mapiResult != SUCCESS_SUCCESS) {
        char pattern[kMessageBufferSize], number[kDecimalTextSize];
        loadText(IDS_MAPI_ERROR, pattern);
        decimalText(mapiResult, number);
        formatText(message, sizeof message, pattern, {number, functionName});
        if (showBox) {
            char caption[kMessageBufferSize];
            loadText(IDS_MAPI_CAPTION, caption);
            MessageBoxA(nullptr, message, caption, MB_ICONASTERISK | MB_OK);
        }
    }
    return setError(mapiResultToCode(mapiResult), message);
}

uint32_t MAPIDestination::makeAttachmentName(const UXDExportRecord *record, uint16_t index) noexcept {
    if (index >= attachmentNames.count()) return 0;  // a slot-3 caller may pass anything
    auto files = readField<const unsigned char *const *>(record, kRecordFiles);
    const unsigned char *entry = files ? files[index] : nullptr;
    FileNaming naming = {entry != nullptr, false, nullptr, nullptr};
    if (entry) {
        naming.hasFileName = readField<uint32_t>(entry, kFileHasName) != 0;
        naming.fileName = readField<const char *>(entry, kFileName);
        naming.fileNamePattern = readField<const char *>(entry, kFilePattern);
    }
    char name[kAttachmentNameSize];
    makeAttachmentNameText(naming, name, isLeadByte);
    attachmentNames.put(index, duplicateText(name));  // named again: the earlier name goes
    return attachmentNames[index] ? 1 : 0;
}

const char *MAPIDestination::pickArrayElement(uint16_t count, uint16_t index,
                                              const char *const *array) noexcept {
    return array && index < count ? array[index] : nullptr;
}

UXDResult MAPIDestination::reportMissingFunction(const char *functionName) noexcept {
    char pattern[kMessageBufferSize], message[kFailureTextSize];
    loadText(IDS_FUNCTION_MISSING, pattern);
    formatText(message, sizeof message, pattern, {functionName});
    return setError(UXD_E_FAILURE, message);
}
