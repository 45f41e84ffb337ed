// Loading and binding the plug-in the way a reporting host does.
#include "plugin.h"

#include <cstdio>

#include "console_text.h"
#include "report.h"

namespace {
template <class F>
bool bind(HMODULE library, const char *name, F &target, std::string &reason) {
    target = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(library, name)));
    if (!target) reason = std::string("entry point ") + name + " is missing";
    return target != nullptr;
}
}  // namespace

Plugin::~Plugin() {
    if (library_) FreeLibrary(library_);
}

bool Plugin::load(const std::string &path, std::string &reason) {
    library_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library_) {
        reason = "cannot load " + path + " (system error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    return bind(library_, "UXDInitialize", initialize, reason) &&
           bind(library_, "UXDTerminate", terminate, reason) &&
           bind(library_, "UXDGetVersion", getVersion, reason) &&
           bind(library_, "UXDGetErrorText", getErrorText, reason) &&
           bind(library_, "UXDGetExportDestinations", getExportDestinations, reason) &&
           bind(library_, "UXDGetExportDestinationsEx", getExportDestinationsEx, reason) &&
           bind(library_, "UXDInitExportDestination", initExportDestination, reason) &&
           bind(library_, "UXDTermExportDestination", termExportDestination, reason) &&
           bind(library_, "UXDExportToDestination", exportToDestination, reason) &&
           bind(library_, "UXDEncodeDestinationOptions", encodeDestinationOptions, reason) &&
           bind(library_, "UXDDecodeDestinationOptions", decodeDestinationOptions, reason) &&
           bind(library_, "UXDDestinationOptionsW2A", destinationOptionsW2A, reason) &&
           bind(library_, "UXDFreeDestinationOptions", freeDestinationOptions, reason);
}

std::string defaultPluginPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    return folder + "uxdmapi.dll";
}

int runWithPlugin(const std::string &path, const std::function<int(Plugin &)> &body) {
    Plugin plugin;
    std::string reason;
    if (!plugin.load(path, reason)) {
        writeText(stderr, "uxdsend: " + reason + "\n");  // the path may hold any letters
        return UXD_E_MAIL_UNAVAILABLE;
    }
    UXDResult started = plugin.initialize(0);
    if (started != UXD_SUCCESS) {
        reportModuleFailure(plugin, "UXDInitialize", started, nullptr);
        plugin.terminate();  // the count went up even though the start failed
        return started;
    }
    int status = body(plugin);
    plugin.terminate();
    return status;
}
