// The export job: one delivery of one export, from UXDInitExportDestination to
// UXDTermExportDestination. The host holds its address as an opaque handle.
#pragma once

#include <windows.h>
#include <mapi.h>

#include <cstddef>
#include <cstdint>

#include "uxdmapi.h"

class MAPIRecipient;

namespace uxd {
constexpr std::size_t kRecipientTextSize = 5120;  // To, Cc, Bcc, profile name, password
constexpr std::size_t kSubjectTextSize = 512;
constexpr std::size_t kMessageTextSize = 16620;
constexpr std::size_t kMessageBufferSize = 256;   // texts of the job's reports
constexpr std::size_t kFailureTextSize = 300;     // texts naming a function or a recipient
constexpr uint32_t kJobInfoSize = 112;
}  // namespace uxd

class MAPIDestination {
public:
    // Jobs live on the module's heap through the allocation seam; null when it is exhausted.
    static void *operator new(std::size_t bytes) noexcept;
    static void operator delete(void *block) noexcept;

    // Reads the export record (never kept) and names the attachments after it.
    MAPIDestination(HWND parentWindow, const UXDExportRecord *record) noexcept;
    virtual ~MAPIDestination();

    // The job's own services, in this order in its virtual table.
    virtual UXDResult setError(UXDResult code, const char *text) noexcept;
    virtual UXDResult reportMapiResult(uint32_t showBox, uint32_t mapiResult,
                                       const char *functionName) noexcept;
    virtual uint32_t makeAttachmentName(const UXDExportRecord *record, uint16_t index) noexcept;
    virtual const char *pickArrayElement(uint16_t count, uint16_t index,
                                         const char *const *array) noexcept;
    virtual UXDResult reportMissingFunction(const char *functionName) noexcept;

    // The text UXDGetErrorText gives for the job: errorText, or the spare copy that setError
    // made when errorText could not be allocated; empty before the first error.
    const char *errorMessage() const noexcept;

    // Right after construction: the seven text buffers, each empty. 0 or 2.
    UXDResult allocateTextBuffers() noexcept;

    // Loads text `id` in the job's language (the built-in English one if none comes).
    void loadText(unsigned id, char (&buffer)[uxd::kMessageBufferSize]) const noexcept;

    MAPIDestination(const MAPIDestination &) = delete;
    MAPIDestination &operator=(const MAPIDestination &) = delete;

    wchar_t *savedDirectory = nullptr;
    HWND parentWindow = nullptr;
    UXDJobInfo infoBlock = {};
    uint16_t attachmentCount = 0;
    char **attachmentNames = nullptr;
    int32_t errorCode = 0;
    char *errorText = nullptr;
    char *savedLocale = nullptr;
    char *toText = nullptr;
    char *ccText = nullptr;
    char *bccText = nullptr;
    char *subjectText = nullptr;
    char *messageText = nullptr;
    char *profileName = nullptr;
    char *password = nullptr;
    uint32_t logonFlags = 0;
    HMODULE mapiLibrary = nullptr;
    LHANDLE session = 0;
    MAPIRecipient *toList = nullptr;
    MAPIRecipient *ccList = nullptr;
    MAPIRecipient *bccList = nullptr;
    void *encodedOptions = nullptr;
    uint32_t language = 0x400;
    char spareErrorText[uxd::kFailureTextSize] = {};
};

namespace uxd {
// The job's seven text buffers with their sizes, in the order of the options record:
// To, Cc, Bcc, Subject, Message, profile name, password.
struct JobText {
    char *MAPIDestination::*buffer;
    std::size_t size;
};
constexpr int kJobTextCount = 7;
extern const JobText kJobTexts[kJobTextCount];

// A Simple MAPI result as a UXD return code: the one place where they are mapped.
UXDResult mapiResultToCode(uint32_t mapiResult) noexcept;

// Text `id` of the string table in `language`, or its built-in English form when the
// resource manager supplies none.
void loadText(uint32_t language, unsigned id, char (&buffer)[kMessageBufferSize]) noexcept;
}  // namespace uxd
