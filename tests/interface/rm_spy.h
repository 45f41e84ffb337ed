// Counts the calls the module's code makes into rmlocale-1-0.dll, and can make text loads
// fail, by patching this test program's imports from that DLL.
#pragma once

#include <memory>

#include "iat_hook.h"
#include "rmlocale.h"

struct RmSpy {
    static int inits, loads, terms;
    static bool failLoads;

    RmSpy();
    ~RmSpy();

private:
    std::unique_ptr<IatHook> init_, load_, term_;
};
