// The address book object; see addrbook.h.
#include "addrbook.h"

#include <mapiguid.h>

#include "guard.h"

namespace testmail {
namespace {
const Kind kBook = Kind::addrbook;
}

STDMETHODIMP AddrBook::QueryInterface(REFIID riid, LPVOID *ppvObj) {
    bool ours = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMAPIProp) || IsEqualIID(riid, IID_IAddrBook);
    return query(kBook, riid, ppvObj, this, ours);
}

STDMETHODIMP_(ULONG) AddrBook::AddRef() { return addRef(kBook, refs_); }

STDMETHODIMP_(ULONG) AddrBook::Release() { return release(kBook, refs_, this); }

STDMETHODIMP AddrBook::ResolveName(ULONG_PTR ulUIParam, ULONG ulFlags, LPTSTR, LPADRLIST lpAdrList) {
    return comCall([&] { return resolveNames(ulUIParam, ulFlags, lpAdrList); });
}

STDMETHODIMP AddrBook::Address(ULONG_PTR *, LPADRPARM lpAdrParms, LPADRLIST *lppAdrList) {
    return comCall([&] { return addressDialog(lpAdrParms, lppAdrList); });
}

// IMAPIProp
STDMETHODIMP AddrBook::GetLastError(HRESULT, ULONG, LPMAPIERROR *) { return unsupported(kBook, "GetLastError"); }
STDMETHODIMP AddrBook::SaveChanges(ULONG) { return unsupported(kBook, "SaveChanges"); }
STDMETHODIMP AddrBook::GetProps(LPSPropTagArray, ULONG, ULONG *, LPSPropValue *) {
    return unsupported(kBook, "GetProps");
}
STDMETHODIMP AddrBook::GetPropList(ULONG, LPSPropTagArray *) { return unsupported(kBook, "GetPropList"); }
STDMETHODIMP AddrBook::OpenProperty(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN *) {
    return unsupported(kBook, "OpenProperty");
}
STDMETHODIMP AddrBook::SetProps(ULONG, LPSPropValue, LPSPropProblemArray *) { return unsupported(kBook, "SetProps"); }
STDMETHODIMP AddrBook::DeleteProps(LPSPropTagArray, LPSPropProblemArray *) { return unsupported(kBook, "DeleteProps"); }
STDMETHODIMP AddrBook::CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                              LPSPropProblemArray *) {
    return unsupported(kBook, "CopyTo");
}
STDMETHODIMP AddrBook::CopyProps(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG, LPSPropProblemArray *) {
    return unsupported(kBook, "CopyProps");
}
STDMETHODIMP AddrBook::GetNamesFromIDs(LPSPropTagArray *, LPGUID, ULONG, ULONG *, LPMAPINAMEID **) {
    return unsupported(kBook, "GetNamesFromIDs");
}
STDMETHODIMP AddrBook::GetIDsFromNames(ULONG, LPMAPINAMEID *, ULONG, LPSPropTagArray *) {
    return unsupported(kBook, "GetIDsFromNames");
}

// IAddrBook
STDMETHODIMP AddrBook::OpenEntry(ULONG, LPENTRYID, LPCIID, ULONG, ULONG *, LPUNKNOWN *) {
    return unsupported(kBook, "OpenEntry");
}
STDMETHODIMP AddrBook::CompareEntryIDs(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG *) {
    return unsupported(kBook, "CompareEntryIDs");
}
STDMETHODIMP AddrBook::Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG *) {
    return unsupported(kBook, "Advise");
}
STDMETHODIMP AddrBook::Unadvise(ULONG) { return unsupported(kBook, "Unadvise"); }
STDMETHODIMP AddrBook::CreateOneOff(LPTSTR, LPTSTR, LPTSTR, ULONG, ULONG *, LPENTRYID *) {
    return unsupported(kBook, "CreateOneOff");
}
STDMETHODIMP AddrBook::NewEntry(ULONG_PTR, ULONG, ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG *, LPENTRYID *) {
    return unsupported(kBook, "NewEntry");
}
STDMETHODIMP AddrBook::Details(ULONG *, LPFNDISMISS, LPVOID, ULONG, LPENTRYID, LPFNBUTTON, LPVOID, LPTSTR, ULONG) {
    return unsupported(kBook, "Details");
}
STDMETHODIMP AddrBook::RecipOptions(ULONG_PTR, ULONG, LPADRENTRY) { return unsupported(kBook, "RecipOptions"); }
STDMETHODIMP AddrBook::QueryDefaultRecipOpt(LPTSTR, ULONG, ULONG *, LPSPropValue *) {
    return unsupported(kBook, "QueryDefaultRecipOpt");
}
STDMETHODIMP AddrBook::GetPAB(ULONG *, LPENTRYID *) { return unsupported(kBook, "GetPAB"); }
STDMETHODIMP AddrBook::SetPAB(ULONG, LPENTRYID) { return unsupported(kBook, "SetPAB"); }
STDMETHODIMP AddrBook::GetDefaultDir(ULONG *, LPENTRYID *) { return unsupported(kBook, "GetDefaultDir"); }
STDMETHODIMP AddrBook::SetDefaultDir(ULONG, LPENTRYID) { return unsupported(kBook, "SetDefaultDir"); }
STDMETHODIMP AddrBook::GetSearchPath(ULONG, LPSRowSet *) { return unsupported(kBook, "GetSearchPath"); }
STDMETHODIMP AddrBook::SetSearchPath(ULONG, LPSRowSet) { return unsupported(kBook, "SetSearchPath"); }
STDMETHODIMP AddrBook::PrepareRecips(ULONG, LPSPropTagArray, LPADRLIST) { return unsupported(kBook, "PrepareRecips"); }

}  // namespace testmail
