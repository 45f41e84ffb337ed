// The interface objects handed to callers (sessions and address books): how many of each are
// alive, so a test can prove a caller released everything, and the shared bodies of their
// IUnknown methods and of the methods this system does not offer, which all log.
#pragma once

#include <windows.h>

#include <atomic>

namespace testmail {

enum class Kind { session, addrbook };

long objectsAlive(Kind kind);

// A member of each object: counts it alive from construction to destruction.
class AliveCount {
public:
    explicit AliveCount(Kind kind);
    ~AliveCount();
    AliveCount(const AliveCount &) = delete;
    AliveCount &operator=(const AliveCount &) = delete;

private:
    Kind kind_;
};

ULONG addRef(Kind kind, std::atomic<ULONG> &refs) noexcept;
void logRelease(Kind kind, ULONG refs) noexcept;  // after a last Release has deleted the object

// IUnknown::Release of either object: deletes it with its last reference, then logs.
template <class Object>
ULONG release(Kind kind, std::atomic<ULONG> &refs, Object *self) noexcept {
    ULONG left = --refs;
    if (left == 0) delete self;
    logRelease(kind, left);
    return left;
}
// Hands out self (AddRef'd) when the interface is one of the object's, else fails.
HRESULT query(Kind kind, REFIID riid, void **object, IUnknown *self, bool supported) noexcept;
HRESULT unsupported(Kind kind, const char *method) noexcept;  // MAPI_E_NO_SUPPORT

}  // namespace testmail
