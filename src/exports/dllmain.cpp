// Library entry point of uxdmapi.dll: records the module's instance for its resources.
#include <windows.h>

#include "module_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        uxd::module.moduleInstance = instance;
        uxd::module.moduleErrorText[0] = '\0';
    }
    return TRUE;
}
