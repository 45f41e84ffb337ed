// Every exported function and interface method runs its body through one of these: the
// shared lock is held, and no C++ exception reaches the caller, who is C or another module.
#pragma once

#include <windows.h>
#include <mapi.h>
#include <mapicode.h>

#include <new>

#include "state.h"

namespace testmail {

template <class Body>
ULONG simpleCall(Body body) noexcept {
    try {
        std::lock_guard<std::recursive_mutex> held(lock());
        return body();
    } catch (const std::bad_alloc &) {
        return MAPI_E_INSUFFICIENT_MEMORY;
    } catch (...) {
        return MAPI_E_FAILURE;
    }
}

template <class Body>
HRESULT comCall(Body body) noexcept {
    try {
        std::lock_guard<std::recursive_mutex> held(lock());
        return body();
    } catch (const std::bad_alloc &) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return MAPI_E_CALL_FAILED;
    }
}

}  // namespace testmail
