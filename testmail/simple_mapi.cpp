// The Simple MAPI calls that do something: logon and logoff with session handles 0x1000,
// 0x1001, ..., name resolution against the configured address book, and the address book
// dialog, which answers with the configured picks. MAPISendMail is in send_mail.cpp.
#include <windows.h>
#include <mapi.h>

#include "guard.h"
#include "log.h"
#include "recipients.h"

using namespace testmail;

ULONG WINAPI MAPILogon(ULONG_PTR ulUIParam, LPSTR lpszProfileName, LPSTR lpszPassword, FLAGS flFlags,
                       ULONG, LPLHANDLE lplhSession) {
    return simpleCall([&] {
        LogLine line("MAPILogon");
        line.hex("ulUIParam", ulUIParam).text("profile", lpszProfileName).secret("password", lpszPassword);
        line.hex("flags", flFlags);
        ULONG result = scriptedResult("MAPILogon");
        if (result == SUCCESS_SUCCESS && !passwordAccepted(lpszPassword)) result = MAPI_E_LOGIN_FAILURE;
        if (result == SUCCESS_SUCCESS && !lplhSession) result = MAPI_E_FAILURE;
        if (result == SUCCESS_SUCCESS) *lplhSession = openSession();
        line.simpleResult(result);
        if (result == SUCCESS_SUCCESS) line.hex("session", *lplhSession);
        line.write();
        return result;
    });
}

ULONG WINAPI MAPILogoff(LHANDLE lhSession, ULONG_PTR ulUIParam, FLAGS flFlags, ULONG) {
    return simpleCall([&] {
        LogLine line("MAPILogoff");
        line.hex("session", lhSession).hex("ulUIParam", ulUIParam).hex("flags", flFlags);
        ULONG result = scriptedResult("MAPILogoff");
        if (result == SUCCESS_SUCCESS && !closeSession(lhSession)) result = MAPI_E_INVALID_SESSION;
        line.simpleResult(result).write();
        return result;
    });
}

ULONG WINAPI MAPIResolveName(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszName, FLAGS flFlags, ULONG,
                             lpMapiRecipDesc *lppRecip) {
    return simpleCall([&] {
        LogLine line("MAPIResolveName");
        line.hex("session", lhSession).hex("ulUIParam", ulUIParam).text("name", lpszName).hex("flags", flFlags);
        if (lppRecip) *lppRecip = nullptr;
        ULONG result = scriptedResult("MAPIResolveName");
        if (result == SUCCESS_SUCCESS) result = scriptedResolve(orEmpty(lpszName));
        if (result == SUCCESS_SUCCESS && !knownSession(lhSession)) result = MAPI_E_INVALID_SESSION;
        if (result == SUCCESS_SUCCESS && !lppRecip) result = MAPI_E_FAILURE;
        Lookup lookup;
        if (result == SUCCESS_SUCCESS) result = lookupResult(lookup = lookUp(config().book, orEmpty(lpszName)));
        if (result == SUCCESS_SUCCESS) *lppRecip = newRecipient(*lookup.entry, MAPI_TO);
        line.simpleResult(result);
        if (result == SUCCESS_SUCCESS) {
            line.text("display", lookup.entry->name).text("address", lookup.entry->address);
            line.bytes("eid", lookup.entry->entryId.data(), lookup.entry->entryId.size());
        } else if (lookup.matches > 1) {
            line.number("matches", static_cast<long long>(lookup.matches));
        }
        line.write();
        return result;
    });
}

ULONG WINAPI MAPIAddress(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszCaption, ULONG nEditFields,
                         LPSTR lpszLabels, ULONG nRecips, lpMapiRecipDesc lpRecips, FLAGS flFlags, ULONG,
                         LPULONG lpnNewRecips, lpMapiRecipDesc *lppNewRecips) {
    return simpleCall([&] {
        LogLine line("MAPIAddress");
        line.hex("session", lhSession).hex("ulUIParam", ulUIParam).text("caption", lpszCaption);
        line.number("editFields", nEditFields).text("labels", lpszLabels).number("recips", nRecips);
        line.hex("flags", flFlags);
        logRecipients(line, "recip", lpRecips, nRecips);
        if (lpnNewRecips) *lpnNewRecips = 0;
        if (lppNewRecips) *lppNewRecips = nullptr;
        ULONG result = scriptedResult("MAPIAddress");
        if (result == SUCCESS_SUCCESS && !knownSession(lhSession)) result = MAPI_E_INVALID_SESSION;
        if (result == SUCCESS_SUCCESS && nEditFields > 4) result = MAPI_E_INVALID_EDITFIELDS;
        if (result == SUCCESS_SUCCESS && (!lpnNewRecips || !lppNewRecips)) result = MAPI_E_FAILURE;
        if (result == SUCCESS_SUCCESS && config().pickCancel) result = MAPI_USER_ABORT;
        std::vector<Picked> picks;
        if (result == SUCCESS_SUCCESS) {
            picks = pickedRecipients(config());
            *lppNewRecips = newRecipients(picks);
            *lpnNewRecips = static_cast<ULONG>(picks.size());
            logRecipients(line, "picked", *lppNewRecips, *lpnNewRecips);
        }
        line.simpleResult(result);
        if (result == SUCCESS_SUCCESS) line.number("picked", static_cast<long long>(picks.size()));
        line.write();
        return result;
    });
}

namespace {
[[maybe_unused]] LPMAPILOGON const checkLogon = MAPILogon;
[[maybe_unused]] LPMAPILOGOFF const checkLogoff = MAPILogoff;
[[maybe_unused]] LPMAPIRESOLVENAME const checkResolveName = MAPIResolveName;
[[maybe_unused]] LPMAPIADDRESS const checkAddress = MAPIAddress;
}  // namespace
