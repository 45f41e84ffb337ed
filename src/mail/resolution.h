// Resolving typed recipient names against the mail system.
#pragma once

#include <windows.h>

#include "uxdmapi.h"

class MAPIDestination;
class MAPIRecipient;

namespace uxd {

// Resolves every recipient of the list, going on after failures; 0, or the last failure.
UXDResult resolveRecipients(MAPIDestination *job, MAPIRecipient *list, bool showDialog,
                            HWND window) noexcept;

}  // namespace uxd
