// The Simple MAPI calls a report destination has no use for: logged with their arguments so a
// test sees any stray call, and refused with MAPI_E_NOT_SUPPORTED unless a result is scripted.
#include <windows.h>
#include <mapi.h>

#include "guard.h"
#include "log.h"
#include "recipients.h"

using namespace testmail;

namespace {

ULONG refuse(LogLine &line, const char *function) {
    ULONG result = scriptedResult(function);
    if (result == SUCCESS_SUCCESS) result = MAPI_E_NOT_SUPPORTED;
    line.simpleResult(result).write();
    return result;
}

}  // namespace

ULONG WINAPI MAPISendDocuments(ULONG_PTR ulUIParam, LPSTR lpszDelimChar, LPSTR lpszFilePaths,
                               LPSTR lpszFileNames, ULONG) {
    return simpleCall([&] {
        LogLine line("MAPISendDocuments");
        line.hex("ulUIParam", ulUIParam).text("delimiter", lpszDelimChar).text("paths", lpszFilePaths);
        line.text("names", lpszFileNames);
        return refuse(line, "MAPISendDocuments");
    });
}

ULONG WINAPI MAPIFindNext(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszMessageType, LPSTR lpszSeedMessageID,
                          FLAGS flFlags, ULONG, LPSTR) {
    return simpleCall([&] {
        LogLine line("MAPIFindNext");
        line.hex("session", lhSession).hex("ulUIParam", ulUIParam).text("type", lpszMessageType);
        line.text("seed", lpszSeedMessageID).hex("flags", flFlags);
        return refuse(line, "MAPIFindNext");
    });
}

ULONG WINAPI MAPIReadMail(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszMessageID, FLAGS flFlags, ULONG,
                          lpMapiMessage *lppMessage) {
    return simpleCall([&] {
        if (lppMessage) *lppMessage = nullptr;
        LogLine line("MAPIReadMail");
        line.hex("session", lhSession).hex("ulUIParam", ulUIParam).text("id", lpszMessageID).hex("flags", flFlags);
        return refuse(line, "MAPIReadMail");
    });
}

ULONG WINAPI MAPISaveMail(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiMessage lpMessage, FLAGS flFlags, ULONG,
                          LPSTR lpszMessageID) {
    return simpleCall([&] {
        LogLine line("MAPISaveMail");
        line.hex("session", lhSession).hex("ulUIParam", ulUIParam).hex("flags", flFlags);
        line.text("subject", lpMessage ? lpMessage->lpszSubject : nullptr).text("id", lpszMessageID);
        return refuse(line, "MAPISaveMail");
    });
}

ULONG WINAPI MAPIDeleteMail(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszMessageID, FLAGS flFlags, ULONG) {
    return simpleCall([&] {
        LogLine line("MAPIDeleteMail");
        line.hex("session", lhSession).hex("ulUIParam", ulUIParam).text("id", lpszMessageID).hex("flags", flFlags);
        return refuse(line, "MAPIDeleteMail");
    });
}

ULONG WINAPI MAPIDetails(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiRecipDesc lpRecip, FLAGS flFlags, ULONG) {
    return simpleCall([&] {
        LogLine line("MAPIDetails");
        line.hex("session", lhSession).hex("ulUIParam", ulUIParam).hex("flags", flFlags);
        if (lpRecip) logRecipient(line, "recip", *lpRecip);
        return refuse(line, "MAPIDetails");
    });
}

namespace {
[[maybe_unused]] LPMAPISENDDOCUMENTS const checkSendDocuments = MAPISendDocuments;
[[maybe_unused]] LPMAPIFINDNEXT const checkFindNext = MAPIFindNext;
[[maybe_unused]] LPMAPIREADMAIL const checkReadMail = MAPIReadMail;
[[maybe_unused]] LPMAPISAVEMAIL const checkSaveMail = MAPISaveMail;
[[maybe_unused]] LPMAPIDELETEMAIL const checkDeleteMail = MAPIDeleteMail;
[[maybe_unused]] LPMAPIDETAILS const checkDetails = MAPIDetails;
}  // namespace
