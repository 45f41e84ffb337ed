// The Extended MAPI session MAPILogonEx hands out. Its vtable is the published IMAPISession's
// (the class overrides the header's own method list); only OpenAddressBook does anything.
#pragma once

#include <windows.h>
#include <mapix.h>

#include "objects.h"

namespace testmail {

class Session final : public IMAPISession {
public:
    Session() = default;

    MAPI_IUNKNOWN_METHODS(override)
    MAPI_IMAPISESSION_METHODS(override)

private:
    ~Session() = default;  // only Release deletes
    template <class Object>
    friend ULONG release(Kind kind, std::atomic<ULONG> &refs, Object *self) noexcept;
    AliveCount alive_{Kind::session};
    std::atomic<ULONG> refs_{1};
};

}  // namespace testmail
