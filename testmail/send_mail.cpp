// MAPISendMail: resolves the recipients as a mail client would, reads every attachment, and
// only then writes the message to the outbox, so a failed call leaves no file behind.
#include <windows.h>
#include <mapi.h>

#include "eml.h"
#include "guard.h"
#include "handle.h"
#include "log.h"
#include "outbox.h"
#include "recipients.h"

using namespace testmail;

namespace {

const LONGLONG kLargestAttachment = 256LL << 20;

ULONG openFailure(DWORD error) {
    bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
                   error == ERROR_BAD_NETPATH;
    return missing ? MAPI_E_ATTACHMENT_NOT_FOUND : MAPI_E_ATTACHMENT_OPEN_FAILURE;
}

ULONG readFile(const char *path, std::string &content) {
    if (!path || !*path) return MAPI_E_ATTACHMENT_NOT_FOUND;
    Handle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.open()) return openFailure(GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestAttachment) return MAPI_E_ATTACHMENT_OPEN_FAILURE;
    content.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (size.QuadPart && (!ReadFile(file.get(), &content[0], static_cast<DWORD>(size.QuadPart), &read, nullptr) ||
                          read != size.QuadPart))
        return MAPI_E_ATTACHMENT_OPEN_FAILURE;
    return SUCCESS_SUCCESS;
}

std::string attachmentName(const MapiFileDesc &file) {
    return file.lpszFileName && *file.lpszFileName ? file.lpszFileName : fileNameOf(file.lpszPathName);
}

void logFiles(LogLine &line, const MapiMessage &message) {
    for (ULONG i = 0; message.lpFiles && i < message.nFileCount; ++i) {
        const MapiFileDesc &file = message.lpFiles[i];
        line.detail("file").number("position", static_cast<LONG>(file.nPosition));
        line.text("path", file.lpszPathName).text("name", file.lpszFileName);
    }
}

ULONG addFiles(const MapiMessage &message, Mail &mail) {
    for (ULONG i = 0; message.lpFiles && i < message.nFileCount; ++i) {
        MailFile file{attachmentName(message.lpFiles[i]), {}};
        ULONG result = readFile(message.lpFiles[i].lpszPathName, file.content);
        if (result != SUCCESS_SUCCESS) return result;
        mail.files.push_back(std::move(file));
    }
    return SUCCESS_SUCCESS;
}

// The address a mail client would send to: the one given, else the entry id's, else the name's.
ULONG mailAddress(const MapiRecipDesc &recip, MailAddress &address) {
    const std::vector<BookEntry> &book = config().book;
    const BookEntry *entry = byEntryId(book, recip.lpEntryID, recip.ulEIDSize);
    Lookup lookup;
    if (recip.lpszAddress && *recip.lpszAddress) {
        address = MailAddress{orEmpty(recip.lpszName), withoutSmtpPrefix(recip.lpszAddress)};
        return SUCCESS_SUCCESS;
    }
    if (!entry && lookupResult(lookup = lookUp(book, orEmpty(recip.lpszName))) != SUCCESS_SUCCESS)
        return lookupResult(lookup);
    if (!entry) entry = lookup.entry;
    address = MailAddress{entry->name, withoutSmtpPrefix(entry->address)};
    return SUCCESS_SUCCESS;
}

ULONG addRecipients(const MapiMessage &message, Mail &mail) {
    for (ULONG i = 0; message.lpRecips && i < message.nRecipCount; ++i) {
        const MapiRecipDesc &recip = message.lpRecips[i];
        if (recip.ulRecipClass > MAPI_BCC) return MAPI_E_BAD_RECIPTYPE;
        MailAddress address;
        ULONG result = mailAddress(recip, address);
        if (result != SUCCESS_SUCCESS) return result;
        if (recip.ulRecipClass == MAPI_TO) mail.to.push_back(address);
        if (recip.ulRecipClass == MAPI_CC) mail.cc.push_back(address);
    }
    return SUCCESS_SUCCESS;
}

ULONG send(const MapiMessage &message, std::string &eml) {
    Mail mail{orEmpty(message.lpszSubject), orEmpty(message.lpszNoteText), {}, {}, {}};
    ULONG result = addRecipients(message, mail);
    if (result == SUCCESS_SUCCESS) result = addFiles(message, mail);
    if (result != SUCCESS_SUCCESS) return result;
    SYSTEMTIME now;
    GetSystemTime(&now);
    std::string composed = composeEml(mail, now);
    if (!config().keepMail) return SUCCESS_SUCCESS;  // made, checked and dropped
    eml = writeToOutbox(config().outboxPath, composed);
    return eml.empty() ? MAPI_E_FAILURE : SUCCESS_SUCCESS;
}

}  // namespace

ULONG WINAPI MAPISendMail(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiMessage lpMessage, FLAGS flFlags, ULONG) {
    return simpleCall([&] {
        LogLine line("MAPISendMail");
        line.hex("session", lhSession).hex("ulUIParam", ulUIParam).hex("flags", flFlags);
        line.text("subject", lpMessage ? lpMessage->lpszSubject : nullptr);
        line.text("note", lpMessage ? lpMessage->lpszNoteText : nullptr);
        if (lpMessage) logRecipients(line, "recip", lpMessage->lpRecips, lpMessage->nRecipCount);
        if (lpMessage) logFiles(line, *lpMessage);
        ULONG result = scriptedResult("MAPISendMail");
        if (result == SUCCESS_SUCCESS && !knownSession(lhSession)) result = MAPI_E_INVALID_SESSION;
        if (result == SUCCESS_SUCCESS && !lpMessage) result = MAPI_E_FAILURE;
        std::string eml;
        if (result == SUCCESS_SUCCESS) result = send(*lpMessage, eml);
        line.simpleResult(result);
        if (result == SUCCESS_SUCCESS && !eml.empty()) line.text("eml", eml);
        line.write();
        return result;
    });
}

namespace {
[[maybe_unused]] LPMAPISENDMAIL const checkSendMail = MAPISendMail;
}  // namespace
