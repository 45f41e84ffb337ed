// Loading and binding the plug-in the way a reporting host does.
#include "plugin.h"

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
           bind(library_, "UXDGetExportDestinationsEx", getExportDestinationsEx, reason);
}

std::string defaultPluginPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    return folder + "uxdmapi.dll";
}
