// Simple MAPI binding and logon of an export job.
#include "simple_mapi.h"

#include "export_job.h"
#include "resource_ids.h"
#include "win32_resources.h"

namespace uxd {

namespace {

constexpr UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;  // 0x8001

// The first missing name in table order, or null when all twelve are there.
const char *bindTable(HMODULE library) noexcept {
    SimpleMapiTable &t = simpleMapi;
    if (!bindFunction(library, "MAPILogon", t.logon)) return "MAPILogon";
    if (!bindFunction(library, "MAPILogoff", t.logoff)) return "MAPILogoff";
    if (!bindFunction(library, "MAPISendMail", t.sendMail)) return "MAPISendMail";
    if (!bindFunction(library, "MAPISendDocuments", t.sendDocuments)) return "MAPISendDocuments";
    if (!bindFunction(library, "MAPIFindNext", t.findNext)) return "MAPIFindNext";
    if (!bindFunction(library, "MAPIReadMail", t.readMail)) return "MAPIReadMail";
    if (!bindFunction(library, "MAPISaveMail", t.saveMail)) return "MAPISaveMail";
    if (!bindFunction(library, "MAPIDeleteMail", t.deleteMail)) return "MAPIDeleteMail";
    if (!bindFunction(library, "MAPIFreeBuffer", t.freeBuffer)) return "MAPIFreeBuffer";
    if (!bindFunction(library, "MAPIAddress", t.address)) return "MAPIAddress";
    if (!bindFunction(library, "MAPIDetails", t.details)) return "MAPIDetails";
    if (!bindFunction(library, "MAPIResolveName", t.resolveName)) return "MAPIResolveName";
    return nullptr;
}

HMODULE loadMapiLibrary() noexcept {
    ErrorModeScope quiet(kQuietErrorMode);
    WaitCursor wait;
    return LoadLibraryA("MAPI32.DLL");
}

ULONG logon(MAPIDestination &job, FLAGS flags) noexcept {
    return simpleMapi.logon(0, job.profileName, job.password, flags, 0, &job.session);
}

}  // namespace

UXDResult bindSimpleMapi(MAPIDestination &job) noexcept {
    char text[kMessageBufferSize];
    job.mapiLibrary.reset(loadMapiLibrary());
    if (!job.mapiLibrary) {
        job.loadText(IDS_MAPI_NOT_LOADED, text);
        return job.setError(UXD_E_FAILURE, text);
    }
    if (const char *missing = bindTable(job.mapiLibrary.get())) return job.reportMissingFunction(missing);

    ULONG rc = logon(job, 0);
    if (rc == MAPI_E_LOGIN_FAILURE) {
        rc = logon(job, job.logonFlags);  // once more, now perhaps with the logon dialog
        if (rc == MAPI_E_LOGIN_FAILURE) {
            job.loadText(IDS_MAPI_NOT_CONFIGURED, text);
            return job.setError(UXD_E_FAILURE, text);
        }
    }
    return job.reportMapiResult(0, rc, "MAPILogon");
}

}  // namespace uxd
