// State of the loaded module as a whole. Plain globals without locks: the host calls the
// entry points one at a time on one thread.
#pragma once

#include <windows.h>

#include <cstdint>

#include "rmlocale.h"

namespace uxd {

constexpr WORD kDefaultLanguage = 0x400;       // user default
constexpr size_t kModuleErrorTextSize = 300;   // 299 characters and a terminator

struct ModuleState {
    HINSTANCE moduleInstance = nullptr;
    int32_t useCount = 0;
    RMSESSION resourceSession = nullptr;
    char *defaultName = nullptr;          // text 1000 in the default language
    char *defaultDescription = nullptr;   // text 1009 in the default language
    char moduleErrorText[kModuleErrorTextSize] = {};
};

extern ModuleState module;

// Copies a failed job's text for UXDGetErrorText(NULL), cut to 299 characters.
void setModuleErrorText(const char *text) noexcept;

}  // namespace uxd
