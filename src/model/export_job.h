// The export job: one delivery of one export, from UXDInitExportDestination to
// UXDTermExportDestination. The host holds its address as an opaque handle.
#pragma once

#include <windows.h>
#include <mapi.h>

#include <cstddef>
#include <cstdint>

#include "option_texts.h"
#include "owned_block.h"
#include "slot_zero.h"
#include "win32_resources.h"
#include "uxdmapi.h"

class MAPIRecipient;

namespace uxd {
// One of the job's three recipient lists: it owns its chain and deletes it through slot 0.
struct RecipientList {
    MAPIRecipient *head = nullptr;
    RecipientList() noexcept = default;
    RecipientList(const RecipientList &) = delete;
    RecipientList &operator=(const RecipientList &) = delete;
    ~RecipientList();
};

// The job's text buffers are wiped when released: the password is one of them, and the
// others cost little to treat alike.
using OwnedText = owned_block<char, ReleaseSecret>;

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

    // Slot 0: destroys the job and, with kReleaseMemory in flags, releases its memory;
    // returns the job's address. Use uxd::destroy(job) or uxd::unique_slot_ptr.
    virtual void *deletingDestructor(uint32_t flags) noexcept;
    // Slots 1 to 5: the job's own services, in this order.
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

protected:
    ~MAPIDestination();  // reached through slot 0 only

public:

    // Owners: released by their own destructors, in reverse order of declaration, after the
    // destructor's body has logged off (the session needs mapiLibrary, released after it).
    uxd::owned_block<wchar_t> savedDirectory;
    HWND parentWindow = nullptr;
    UXDJobInfo infoBlock = {};
    uint16_t attachmentCount = 0;
    uxd::owned_texts attachmentNames;
    int32_t errorCode = 0;
    uxd::owned_block<char> errorText;
    uxd::owned_block<char> savedLocale;
    uxd::OwnedText toText;
    uxd::OwnedText ccText;
    uxd::OwnedText bccText;
    uxd::OwnedText subjectText;
    uxd::OwnedText messageText;
    uxd::OwnedText profileName;
    uxd::OwnedText password;
    uint32_t logonFlags = 0;
    uxd::unique_library mapiLibrary;
    LHANDLE session = 0;
    bool addressBookUnreachable = false;  // found once per job; names then go through Simple MAPI
    uxd::RecipientList toList;
    uxd::RecipientList ccList;
    uxd::RecipientList bccList;
    uxd::owned_block<void, uxd::ReleaseSecret> encodedOptions;  // it holds the password
    uint32_t language = 0x400;
    char spareErrorText[uxd::kFailureTextSize] = {};
};

namespace uxd {
using unique_job = unique_slot_ptr<MAPIDestination>;

// The job's seven text buffers with their sizes, indexed by OptionText: the one table of
// the job's texts, for setup, the options and the dialog.
struct JobText {
    OwnedText MAPIDestination::*buffer;
    std::size_t size;
};
extern const JobText kJobTexts[kOptionTextCount];

// A Simple MAPI result as a UXD return code: the one place where they are mapped.
UXDResult mapiResultToCode(uint32_t mapiResult) noexcept;

// Text `id` of the string table in `language`, or its built-in English form when the
// resource manager supplies none.
void loadText(uint32_t language, unsigned id, char (&buffer)[kMessageBufferSize]) noexcept;
}  // namespace uxd
