// Sending the exported files: one mail on the job's session, one attachment per file, each
// at the end of the message text under the name the job gave it.
#include "export.h"

#include <windows.h>
#include <mapi.h>

#include <cstring>

#include "allocation.h"
#include "export_job.h"
#include "gather_recipients.h"
#include "process_state.h"
#include "simple_mapi.h"
#include "win32_resources.h"

using namespace uxd;

namespace {

// The export request's fields, placed by the public header's struct.
constexpr std::size_t kRequestFileCount = offsetof(UXDExportRequest, fileCount),
                      kRequestFilePaths = offsetof(UXDExportRequest, filePaths);

// Room is left for the terminator; every send appends one more blank while there is room.
ULONG appendBlank(char *text) noexcept {
    std::size_t length = std::strlen(text);
    if (length + 1 < kMessageTextSize) {
        text[length++] = ' ';
        text[length] = '\0';
    }
    return static_cast<ULONG>(length);
}

// Gathers the recipients (resolving what the user left unresolved) and sends the one mail.
UXDResult send(MAPIDestination &job, MapiFileDesc *files) noexcept {
    uint32_t recipientCount = 0;
    MapiRecipDesc *recipients = nullptr;
    UXDResult rc = gatherRecipients(&job, true, &recipientCount, &recipients);
    if (rc != UXD_SUCCESS) return rc;

    MapiMessage message = {};
    message.lpszSubject = job.subjectText;
    message.lpszNoteText = job.messageText;
    message.flFlags = MAPI_UNREAD;
    message.nRecipCount = recipientCount;
    message.lpRecips = recipients;
    message.nFileCount = job.attachmentCount;
    message.lpFiles = files;
    ULONG sent = simpleMapi.sendMail(job.session, reinterpret_cast<ULONG_PTR>(job.parentWindow), &message, 0, 0);
    release(recipients);  // the array only: its texts are the recipients'
    return job.reportMapiResult(0, sent, "MAPISendMail");
}

}  // namespace

UXDResult uxd::exportJob(MAPIDestination &job, const UXDExportRequest *request) noexcept {
    WaitCursor wait;  // one for the whole send: resolving what is left, then the mail system
    ULONG textLength = appendBlank(job.messageText);

    unique_block<MapiFileDesc> files;
    if (job.attachmentCount) {
        files.reset(static_cast<MapiFileDesc *>(allocateZeroed(job.attachmentCount, sizeof(MapiFileDesc))));
        if (!files) return UXD_E_OUT_OF_MEMORY;
        uint16_t pathCount = 0;
        const char *const *paths = nullptr;
        if (request) {
            std::memcpy(&pathCount, reinterpret_cast<const char *>(request) + kRequestFileCount, sizeof pathCount);
            std::memcpy(&paths, reinterpret_cast<const char *>(request) + kRequestFilePaths, sizeof paths);
        }
        for (uint16_t i = 0; i < job.attachmentCount; ++i) {
            MapiFileDesc &file = files.get()[i];
            file.nPosition = textLength - 1;  // the appended blank
            file.lpszPathName = const_cast<char *>(job.pickArrayElement(pathCount, i, paths));
            file.lpszFileName = const_cast<char *>(job.pickArrayElement(job.attachmentCount, i, job.attachmentNames));
        }
    }

    UXDResult rc = send(job, files.get());
    putBackLocale(job.savedLocale);  // resolving and sending may have changed it
    return rc;
}
