// The plug-in as a host sees it: loaded from a path with the altered search path (so the
// DLLs beside it are found first), entry points bound by name and checked at compile time
// against the prototypes of the public header.
#pragma once

#include <windows.h>

#include <functional>
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
    decltype(&UXDInitExportDestination) initExportDestination = nullptr;
    decltype(&UXDTermExportDestination) termExportDestination = nullptr;
    decltype(&UXDExportToDestination) exportToDestination = nullptr;
    decltype(&UXDEncodeDestinationOptions) encodeDestinationOptions = nullptr;
    decltype(&UXDDecodeDestinationOptions) decodeDestinationOptions = nullptr;
    decltype(&UXDDestinationOptionsW2A) destinationOptionsW2A = nullptr;
    decltype(&UXDFreeDestinationOptions) freeDestinationOptions = nullptr;

private:
    HMODULE library_ = nullptr;
};

// A record the plug-in handed out, given back to it through UXDFreeDestinationOptions.
class PluginRecord {
public:
    explicit PluginRecord(const Plugin &plugin) : plugin_(plugin) {}
    ~PluginRecord() {
        if (record) plugin_.freeDestinationOptions(0, record);
    }
    PluginRecord(const PluginRecord &) = delete;
    PluginRecord &operator=(const PluginRecord &) = delete;
    MAPIDestinationOptions *record = nullptr;

private:
    const Plugin &plugin_;
};

// The plug-in beside this program.
std::string defaultPluginPath();

// Loads the plug-in, runs `body` between UXDInitialize and UXDTerminate and returns its
// status; a failed load or start is reported on standard error and its code returned.
int runWithPlugin(const std::string &path, const std::function<int(Plugin &)> &body);
