// Binding a job to Simple MAPI: loading MAPI32.DLL, the module-wide table of its twelve
// entry points (typed with the published prototypes), and the job's logon and logoff.
#pragma once

#include <windows.h>
#include <mapi.h>

#include "uxdmapi.h"

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

// Loads MAPI32.DLL for the job, fills the table and logs on. 0, or the code recorded on
// the job (-1 with texts 1007, 1006 or 1008, or the logon's mapped result).
UXDResult bindSimpleMapi(MAPIDestination &job) noexcept;

// Closes the job's session, if it has one; the result is of no use to anybody.
void logoffSimpleMapi(MAPIDestination &job) noexcept;

}  // namespace uxd
