// The module as a whole: started by the first UXDInitialize, stopped by the last UXDTerminate.
#pragma once

#include "uxdmapi.h"

namespace uxd {

// Checks that mail is on, MAPI32.DLL is there and a mail client is registered for it, opens the resource session and keeps the
// catalogue's default texts. 0, 7 or 2; nothing is left open on failure.
UXDResult startModule() noexcept;

// Releases what startModule took.
void stopModule() noexcept;

}  // namespace uxd
