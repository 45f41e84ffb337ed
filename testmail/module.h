// The DLL's own module handle, recorded by DllMain for registration.
#pragma once

#include <windows.h>

namespace testmail {

HMODULE moduleInstance();

}  // namespace testmail
