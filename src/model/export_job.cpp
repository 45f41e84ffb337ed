// Building an export job from the host's export record, and releasing what it owns.
#include "export_job.h"

#include <cstring>

#include "allocation.h"
#include "byte_fields.h"
#include "recipient.h"
#include "mapi_functions.h"

namespace {
// Fields of the host's export record, by offset.
constexpr std::size_t kRecordSize = 0, kRecordFileCount = 16, kRecordAllowLogonUI = 56,
                      kRecordLanguage = 60;
constexpr uint16_t kRecordWithLogonUI = 60;
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
    if (attachmentCount)
        attachmentNames = static_cast<char **>(uxd::allocateZeroed(attachmentCount, sizeof(char *)));
    if (attachmentNames)
        for (uint16_t i = 0; i < attachmentCount; ++i) makeAttachmentName(record, i);
    if (structSize > kRecordWithLogonUI) language = uxd::readField<uint32_t>(record, kRecordLanguage);
}

MAPIDestination::~MAPIDestination() {
    if (attachmentNames)
        for (uint16_t i = 0; i < attachmentCount; ++i) uxd::release(attachmentNames[i]);
    uxd::release(attachmentNames);
    uxd::release(savedLocale);
    uxd::logoffSimpleMapi(*this);
    for (char *text : {toText, ccText, bccText, subjectText, messageText, profileName}) uxd::release(text);
    uxd::releaseSecret(password);  // no secret left in freed memory
    delete toList;
    delete ccList;
    delete bccList;
    uxd::releaseSecret(encodedOptions);  // it holds the password
    if (mapiLibrary) FreeLibrary(mapiLibrary);
    uxd::release(savedDirectory);
    uxd::release(errorText);
}

UXDResult MAPIDestination::allocateTextBuffers() noexcept {
    for (const uxd::JobText &text : uxd::kJobTexts) {
        this->*text.buffer = static_cast<char *>(uxd::allocateZeroed(text.size, 1));
        if (!(this->*text.buffer)) return UXD_E_OUT_OF_MEMORY;  // the destructor releases the others
    }
    return UXD_SUCCESS;
}

namespace uxd {
const JobText kJobTexts[kJobTextCount] = {
    {&MAPIDestination::toText, kRecipientTextSize},      {&MAPIDestination::ccText, kRecipientTextSize},
    {&MAPIDestination::bccText, kRecipientTextSize},     {&MAPIDestination::subjectText, kSubjectTextSize},
    {&MAPIDestination::messageText, kMessageTextSize},   {&MAPIDestination::profileName, kRecipientTextSize},
    {&MAPIDestination::password, kRecipientTextSize}};
}  // namespace uxd
