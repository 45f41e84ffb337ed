// Counting and logging of interface objects; see objects.h.
#include "objects.h"

#include <mapicode.h>

#include <cstdio>

#include "guard.h"
#include "log.h"

namespace testmail {
namespace {

std::atomic<long> alive[2];

std::atomic<long> &aliveOf(Kind kind) { return alive[kind == Kind::session ? 0 : 1]; }
const char *nameOf(Kind kind) { return kind == Kind::session ? "session" : "addrbook"; }

std::string iidText(REFIID iid) {
    char text[48];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(iid.Data1), iid.Data2, iid.Data3, iid.Data4[0], iid.Data4[1],
                  iid.Data4[2], iid.Data4[3], iid.Data4[4], iid.Data4[5], iid.Data4[6], iid.Data4[7]);
    return text;
}

}  // namespace

long objectsAlive(Kind kind) { return aliveOf(kind); }

AliveCount::AliveCount(Kind kind) : kind_(kind) { ++aliveOf(kind); }
AliveCount::~AliveCount() { --aliveOf(kind_); }

ULONG addRef(Kind kind, std::atomic<ULONG> &refs) noexcept {
    ULONG count = ++refs;
    comCall([&] {
        LogLine("AddRef").word("object", nameOf(kind)).number("refs", count).write();
        return S_OK;
    });
    return count;
}

void logRelease(Kind kind, ULONG refs) noexcept {
    comCall([&] {
        LogLine line("Release");
        line.word("object", nameOf(kind)).number("alive", objectsAlive(kind)).number("refs", refs).write();
        return S_OK;
    });
}

HRESULT query(Kind kind, REFIID riid, void **object, IUnknown *self, bool supported) noexcept {
    HRESULT result = !object ? MAPI_E_INVALID_PARAMETER : supported ? S_OK : MAPI_E_INTERFACE_NOT_SUPPORTED;
    if (object) *object = supported ? self : nullptr;
    if (result == S_OK) self->AddRef();
    comCall([&] {
        LogLine("QueryInterface").word("object", nameOf(kind)).word("iid", iidText(riid)).comResult(result).write();
        return S_OK;
    });
    return result;
}

HRESULT unsupported(Kind kind, const char *method) noexcept {
    comCall([&] {
        LogLine(method).word("object", nameOf(kind)).comResult(MAPI_E_NO_SUPPORT).write();
        return S_OK;
    });
    return MAPI_E_NO_SUPPORT;
}

}  // namespace testmail

extern "C" LONG WINAPI TestMailOutstandingObjects(void) {
    return testmail::objectsAlive(testmail::Kind::session) + testmail::objectsAlive(testmail::Kind::addrbook);
}
