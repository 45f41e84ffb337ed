// MAPIAllocateBuffer, MAPIAllocateMore and MAPIFreeBuffer as exported: one MAPIFreeBuffer
// serves Simple and Extended MAPI callers, as in a real mail client. Each call is logged
// with the count of buffers still outstanding, which TestMailOutstandingBuffers also gives.
// mapi.h and mapix.h both declare MAPIFreeBuffer (and LPMAPIFREEBUFFER) with the same type, so
// this one definition is checked against both.
#include <windows.h>
#include <mapi.h>
#include <mapix.h>

#include "buffers.h"
#include "guard.h"
#include "log.h"

using namespace testmail;

SCODE WINAPI MAPIAllocateBuffer(ULONG cbSize, LPVOID *lppBuffer) {
    if (forwardedByMapi32()) return allocateBuffer(cbSize, lppBuffer);
    return comCall([&] {
        LogLine line("MAPIAllocateBuffer");
        line.number("size", cbSize);
        SCODE result = static_cast<SCODE>(scriptedResult("MAPIAllocateBuffer"));
        if (result == S_OK) result = allocateBuffer(cbSize, lppBuffer);
        else if (lppBuffer) *lppBuffer = nullptr;
        line.comResult(result);
        if (result == S_OK) line.hex("buffer", reinterpret_cast<ULONG_PTR>(*lppBuffer));
        line.number("outstanding", outstandingBuffers()).write();
        return result;
    });
}

SCODE WINAPI MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID *lppBuffer) {
    if (forwardedByMapi32()) return allocateMore(cbSize, lpObject, lppBuffer);
    return comCall([&] {
        LogLine line("MAPIAllocateMore");
        line.number("size", cbSize).hex("head", reinterpret_cast<ULONG_PTR>(lpObject));
        SCODE result = static_cast<SCODE>(scriptedResult("MAPIAllocateMore"));
        if (result == S_OK) result = allocateMore(cbSize, lpObject, lppBuffer);
        else if (lppBuffer) *lppBuffer = nullptr;
        line.comResult(result);
        if (result == S_OK) line.hex("buffer", reinterpret_cast<ULONG_PTR>(*lppBuffer));
        line.write();
        return result;
    });
}

ULONG WINAPI MAPIFreeBuffer(LPVOID pv) {
    if (forwardedByMapi32()) return freeBuffer(pv) ? S_OK : MAPI_E_INVALID_PARAMETER;
    return static_cast<ULONG>(comCall([&] {
        LogLine line("MAPIFreeBuffer");
        line.hex("buffer", reinterpret_cast<ULONG_PTR>(pv));
        HRESULT result = !pv || freeBuffer(pv) ? S_OK : MAPI_E_INVALID_PARAMETER;
        line.comResult(result).number("outstanding", outstandingBuffers());
        if (result != S_OK) line.detail("not a buffer handed out by MAPIAllocateBuffer");
        line.write();
        return result;
    }));
}

extern "C" LONG WINAPI TestMailOutstandingBuffers(void) { return outstandingBuffers(); }

namespace {
[[maybe_unused]] LPMAPIALLOCATEBUFFER const checkAllocateBuffer = MAPIAllocateBuffer;
[[maybe_unused]] LPMAPIALLOCATEMORE const checkAllocateMore = MAPIAllocateMore;
[[maybe_unused]] LPMAPIFREEBUFFER const checkFreeBuffer = MAPIFreeBuffer;
[[maybe_unused]] LPFREEBUFFER const checkProviderFreeBuffer = MAPIFreeBuffer;
}  // namespace
