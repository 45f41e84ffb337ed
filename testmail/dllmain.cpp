// The library entry point, which only records the module handle (the configuration is read on
// first use, as DllMain must stay light), and TestMailReset, the tests' way to start afresh.
#include <windows.h>

#include "guard.h"
#include "module.h"

namespace {
HMODULE self = nullptr;
}

HMODULE testmail::moduleInstance() { return self; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

// Re-reads the configuration and restarts the scripted results; buffers and objects still
// handed out stay counted.
extern "C" void WINAPI TestMailReset(void) {
    testmail::simpleCall([] {
        testmail::resetScript();
        return 0UL;
    });
}
