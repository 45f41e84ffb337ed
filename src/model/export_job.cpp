// Building an export job from the host's export record, and releasing what it owns.
#include "export_job.h"

#include <cstring>

#include "allocation.h"
#include "byte_fields.h"
#include "recipient.h"
#include "mapi_functions.h"

namespace {
// The export record's fields, placed by the public header's struct. A host's record may be
// shorter than the struct: its structSize says which fields are there.
constexpr std::size_t kRecordSize = offsetof(UXDExportRecord, structSize),
                      kRecordFileCount = offsetof(UXDExportRecord, fileCount),
                      kRecordAllowLogonUI = offsetof(UXDExportRecord, allowLogonUI),
                      kRecordLanguage = offsetof(UXDExportRecord, language);
constexpr uint16_t kRecordWithLogonUI = kRecordAllowLogonUI + sizeof(uint32_t);  // 60
}  // namespace

void *MAPIDestination::operator new(std::size_t bytes) noexcept { return uxd::allocate(bytes); }
void MAPIDestination::operator delete(void *block) noexcept { uxd::release(block); }

MAPIDestination::MAPIDestination(HWND parent, const UXDExportRecord *record) noexcept
    : parentWindow(parent) {
    infoBlock.structSize = uxd::kJobInfoSize;
    const uint16_t structSize = uxd::readField<uint16_t>(record, kRecordSize);
    attachmentCount = uxd::readField<uint16_t>(record, kRecordFileCount);
    if (structSize >= kRecordWithLogonUI && uxd::readField<uint32_t>(record, kRecordAllowLogonUI))
        logonFlags = MAPI_LOGON_UI;
    if (attachmentCount && attachmentNames.allocate(attachmentCount))
        for (uint16_t i = 0; i < attachmentCount; ++i) makeAttachmentName(record, i);
    if (structSize > kRecordWithLogonUI) language = uxd::readField<uint32_t>(record, kRecordLanguage);
}

MAPIDestination::~MAPIDestination() {
    uxd::logoffSimpleMapi(*this);  // before the members go: mapiLibrary among them
}

void *MAPIDestination::deletingDestructor(uint32_t flags) noexcept {
    this->~MAPIDestination();
    if (flags & uxd::kReleaseMemory) operator delete(this);
    return this;
}

UXDResult MAPIDestination::allocateTextBuffers() noexcept {
    for (const uxd::JobText &text : uxd::kJobTexts) {
        (this->*text.buffer).reset(static_cast<char *>(uxd::allocateZeroed(text.size, 1)));
        if (!(this->*text.buffer)) return UXD_E_OUT_OF_MEMORY;  // the destructor releases the others
    }
    return UXD_SUCCESS;
}

namespace uxd {
const JobText kJobTexts[kOptionTextCount] = {
    {&MAPIDestination::toText, kRecipientTextSize},      {&MAPIDestination::ccText, kRecipientTextSize},
    {&MAPIDestination::bccText, kRecipientTextSize},     {&MAPIDestination::subjectText, kSubjectTextSize},
    {&MAPIDestination::messageText, kMessageTextSize},   {&MAPIDestination::profileName, kRecipientTextSize},
    {&MAPIDestination::password, kRecipientTextSize}};
}  // namespace uxd
