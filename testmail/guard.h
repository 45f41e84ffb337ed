// Every exported function and interface method runs its body through one of these: the
// shared lock is held, and no C++ exception reaches the caller, who is C or another module.
#pragma once

#include <windows.h>
#include <mapi.h>
#include <mapicode.h>

#include <new>

#include "state.h"

namespace testmail {

// Runs body under the lock; out of memory and any other exception become the given codes.
template <class Result, class Body>
Result guarded(Body &body, Result noMemory, Result failure) noexcept {
    try {
        std::lock_guard<std::recursive_mutex> held(lock());
        return body();
    } catch (const std::bad_alloc &) {
        return noMemory;
    } catch (...) {
        return failure;
    }
}

template <class Body>
ULONG simpleCall(Body body) noexcept {
    return guarded<ULONG>(body, MAPI_E_INSUFFICIENT_MEMORY, MAPI_E_FAILURE);
}

template <class Body>
HRESULT comCall(Body body) noexcept {
    return guarded<HRESULT>(body, MAPI_E_NOT_ENOUGH_MEMORY, MAPI_E_CALL_FAILED);
}

}  // namespace testmail
