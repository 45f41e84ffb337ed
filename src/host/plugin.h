// The plug-in as a host sees it: loaded from a path with the altered search path (so the
// DLLs beside it are found first), entry points bound by name and checked at compile time
// against the prototypes of the public header.
#pragma once

#include <windows.h>

#include <string>

#include "uxdmapi.h"

class Plugin {
public:
    Plugin() = default;
    ~Plugin();
    Plugin(const Plugin &) = delete;
    Plugin &operator=(const Plugin &) = delete;

    // Loads the DLL and binds every entry point; false with a reason on failure.
    bool load(const std::string &path, std::string &reason);

    decltype(&UXDInitialize) initialize = nullptr;
    decltype(&UXDTerminate) terminate = nullptr;
    decltype(&UXDGetVersion) getVersion = nullptr;
    decltype(&UXDGetErrorText) getErrorText = nullptr;
    decltype(&UXDGetExportDestinations) getExportDestinations = nullptr;
    decltype(&UXDGetExportDestinationsEx) getExportDestinationsEx = nullptr;

private:
    HMODULE library_ = nullptr;
};

// The plug-in beside this program.
std::string defaultPluginPath();
