// The address book IMAPISession::OpenAddressBook hands out: the published IAddrBook vtable
// (IUnknown, IMAPIProp, IAddrBook methods in the header's order), with ResolveName and
// Address working on the configured address book and everything else refused.
#pragma once

#include <windows.h>
#include <mapix.h>

#include "objects.h"

namespace testmail {

class AddrBook final : public IAddrBook {
public:
    AddrBook() = default;

    MAPI_IUNKNOWN_METHODS(override)
    MAPI_IMAPIPROP_METHODS(override)
    MAPI_IADDRBOOK_METHODS(override)

private:
    ~AddrBook() = default;  // only Release deletes
    template <class Object>
    friend ULONG release(Kind kind, std::atomic<ULONG> &refs, Object *self) noexcept;
    AliveCount alive_{Kind::addrbook};
    std::atomic<ULONG> refs_{1};
};

// The two working methods, in resolve_names.cpp and address_dialog.cpp.
HRESULT resolveNames(ULONG_PTR ulUIParam, ULONG ulFlags, LPADRLIST list);
HRESULT addressDialog(LPADRPARM params, LPADRLIST *list);

}  // namespace testmail
