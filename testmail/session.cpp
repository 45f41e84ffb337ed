// MAPILogonEx and the session it returns; see session.h.
#include "session.h"

#include <mapiguid.h>

#include "addrbook.h"
#include "guard.h"
#include "log.h"

namespace testmail {
namespace {
const Kind kSession = Kind::session;
}

STDMETHODIMP Session::QueryInterface(REFIID riid, LPVOID *ppvObj) {
    bool ours = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMAPISession);
    return query(kSession, riid, ppvObj, this, ours);
}

STDMETHODIMP_(ULONG) Session::AddRef() { return addRef(kSession, refs_); }

STDMETHODIMP_(ULONG) Session::Release() { return release(kSession, refs_, this); }

STDMETHODIMP Session::OpenAddressBook(ULONG_PTR ulUIParam, LPCIID lpInterface, ULONG ulFlags, LPADRBOOK *lppAdrBook) {
    return comCall([&] {
        LogLine line("OpenAddressBook");
        line.hex("ulUIParam", ulUIParam).hex("flags", ulFlags);
        if (lppAdrBook) *lppAdrBook = nullptr;
        HRESULT result = static_cast<HRESULT>(scriptedResult("OpenAddressBook"));
        if (result == S_OK && !lppAdrBook) result = MAPI_E_INVALID_PARAMETER;
        if (result == S_OK && lpInterface && !IsEqualIID(*lpInterface, IID_IAddrBook))
            result = MAPI_E_INTERFACE_NOT_SUPPORTED;
        if (result == S_OK) *lppAdrBook = new AddrBook();
        line.comResult(result).write();
        return result;
    });
}

STDMETHODIMP Session::GetLastError(HRESULT, ULONG, LPMAPIERROR *) { return unsupported(kSession, "GetLastError"); }
STDMETHODIMP Session::GetMsgStoresTable(ULONG, LPMAPITABLE *) { return unsupported(kSession, "GetMsgStoresTable"); }
STDMETHODIMP Session::OpenMsgStore(ULONG_PTR, ULONG, LPENTRYID, LPCIID, ULONG, LPMDB *) {
    return unsupported(kSession, "OpenMsgStore");
}
STDMETHODIMP Session::OpenProfileSection(LPMAPIUID, LPCIID, ULONG, LPPROFSECT *) {
    return unsupported(kSession, "OpenProfileSection");
}
STDMETHODIMP Session::GetStatusTable(ULONG, LPMAPITABLE *) { return unsupported(kSession, "GetStatusTable"); }
STDMETHODIMP Session::OpenEntry(ULONG, LPENTRYID, LPCIID, ULONG, ULONG *, LPUNKNOWN *) {
    return unsupported(kSession, "OpenEntry");
}
STDMETHODIMP Session::CompareEntryIDs(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG *) {
    return unsupported(kSession, "CompareEntryIDs");
}
STDMETHODIMP Session::Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG *) {
    return unsupported(kSession, "Advise");
}
STDMETHODIMP Session::Unadvise(ULONG) { return unsupported(kSession, "Unadvise"); }
STDMETHODIMP Session::MessageOptions(ULONG_PTR, ULONG, LPTSTR, LPMESSAGE) {
    return unsupported(kSession, "MessageOptions");
}
STDMETHODIMP Session::QueryDefaultMessageOpt(LPTSTR, ULONG, ULONG *, LPSPropValue *) {
    return unsupported(kSession, "QueryDefaultMessageOpt");
}
STDMETHODIMP Session::EnumAdrTypes(ULONG, ULONG *, LPTSTR **) { return unsupported(kSession, "EnumAdrTypes"); }
STDMETHODIMP Session::QueryIdentity(ULONG *, LPENTRYID *) { return unsupported(kSession, "QueryIdentity"); }
STDMETHODIMP Session::Logoff(ULONG_PTR, ULONG, ULONG) { return unsupported(kSession, "Logoff"); }
STDMETHODIMP Session::SetDefaultStore(ULONG, ULONG, LPENTRYID) { return unsupported(kSession, "SetDefaultStore"); }
STDMETHODIMP Session::AdminServices(ULONG, LPSERVICEADMIN *) { return unsupported(kSession, "AdminServices"); }
STDMETHODIMP Session::ShowForm(ULONG_PTR, LPMDB, LPMAPIFOLDER, LPCIID, ULONG, LPMESSAGE, ULONG, ULONG, ULONG, ULONG,
                               LPSTR) {
    return unsupported(kSession, "ShowForm");
}
STDMETHODIMP Session::PrepareForm(LPCIID, LPMESSAGE, ULONG *) { return unsupported(kSession, "PrepareForm"); }

}  // namespace testmail

using namespace testmail;

HRESULT WINAPI MAPILogonEx(ULONG_PTR ulUIParam, LPTSTR lpszProfileName, LPTSTR lpszPassword, ULONG ulFlags,
                           LPMAPISESSION *lppSession) {
    return comCall([&] {
        bool wide = (ulFlags & MAPI_UNICODE) != 0;
        LogLine line("MAPILogonEx");
        line.hex("ulUIParam", ulUIParam).text("profile", lpszProfileName, wide);
        line.secret("password", lpszPassword, wide).hex("flags", ulFlags);
        if (lppSession) *lppSession = nullptr;
        HRESULT result = static_cast<HRESULT>(scriptedResult("MAPILogonEx"));
        if (result == S_OK && !passwordAccepted(lpszPassword, wide)) result = MAPI_E_LOGON_FAILED;
        if (result == S_OK && !lppSession) result = MAPI_E_INVALID_PARAMETER;
        if (result == S_OK) *lppSession = new Session();
        line.comResult(result).write();
        return result;
    });
}

namespace {
[[maybe_unused]] LPMAPILOGONEX const checkLogonEx = MAPILogonEx;
}  // namespace
