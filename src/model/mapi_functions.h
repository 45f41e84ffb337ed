// The module-wide table of MAPI32.DLL's twelve Simple MAPI entry points, typed with the
// published prototypes so that a wrong signature fails to compile. The mail service fills
// it when it binds a job; the job closes its own session through it.
#pragma once

#include <windows.h>
#include <mapi.h>

#include "raii.h"

class MAPIDestination;

namespace uxd {

struct SimpleMapiTable {
    LPMAPILOGON logon;
    LPMAPILOGOFF logoff;
    LPMAPISENDMAIL sendMail;
    LPMAPISENDDOCUMENTS sendDocuments;
    LPMAPIFINDNEXT findNext;
    LPMAPIREADMAIL readMail;
    LPMAPISAVEMAIL saveMail;
    LPMAPIDELETEMAIL deleteMail;
    LPMAPIFREEBUFFER freeBuffer;
    LPMAPIADDRESS address;
    LPMAPIDETAILS details;
    LPMAPIRESOLVENAME resolveName;
};

// Written by every job's binding, never cleared: later jobs load the same library.
extern SimpleMapiTable simpleMapi;

// A block Simple MAPI allocated, released through its MAPIFreeBuffer.
struct FreeMapiBuffer {
    void operator()(void *buffer) const noexcept { simpleMapi.freeBuffer(buffer); }
};
template <class T>
using unique_mapi_buffer = unique_res<T *, FreeMapiBuffer>;

// Closes the job's session, if it has one; the result is of no use to anybody.
void logoffSimpleMapi(MAPIDestination &job) noexcept;

}  // namespace uxd
