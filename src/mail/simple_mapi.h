// Binding a job to Simple MAPI: loading MAPI32.DLL, filling the module-wide table of its
// twelve entry points, and the job's logon.
#pragma once

#include <windows.h>
#include <mapi.h>

#include "mapi_functions.h"
#include "uxdmapi.h"

class MAPIDestination;

namespace uxd {

// Loads MAPI32.DLL for the job, fills the table and logs on. 0, or the code recorded on
// the job (-1 with texts 1007, 1006 or 1008, or the logon's mapped result).
UXDResult bindSimpleMapi(MAPIDestination &job) noexcept;

}  // namespace uxd
