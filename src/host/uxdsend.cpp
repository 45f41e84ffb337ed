// uxdsend: the reference host. Loads uxdmapi.dll exactly as a reporting host does and drives
// its entry points from the command line. Its exit status is the plug-in's UXD code.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plugin.h"

namespace {

const char kUsage[] =
    "usage: uxdsend [--plugin PATH] COMMAND [OPTIONS]\n"
    "\n"
    "Drives the uxdmapi mail export destination the way a reporting host does.\n"
    "\n"
    "commands:\n"
    "  list [--lang ID]   print the destination catalogue: identifier, name and description,\n"
    "                     in language ID (e.g. 0x0407 for German; default: the product's)\n"
    "  version            print the plug-in's interface version\n"
    "\n"
    "  --plugin PATH      the plug-in to load (default: uxdmapi.dll beside uxdsend.exe)\n"
    "\n"
    "The exit status is the plug-in's code: 0 success, 1 not supported, 2 out of memory,\n"
    "3 disk full, 5 invalid argument, 6 cancelled, 7 mail services unavailable, -1 other\n"
    "failure (its text is printed on standard error). 64 is a usage error of uxdsend.\n";

constexpr int kUsageError = 64;

const char *codeMeaning(UXDResult code) {
    switch (code) {
    case UXD_SUCCESS: return "success";
    case UXD_E_NOT_SUPPORTED: return "not supported by the mail system";
    case UXD_E_OUT_OF_MEMORY: return "memory exhausted";
    case UXD_E_DISK_FULL: return "disk full";
    case UXD_E_INVALID_ARGUMENT: return "missing or invalid argument";
    case UXD_E_CANCELLED: return "cancelled by the user";
    case UXD_E_MAIL_UNAVAILABLE: return "mail services unavailable";
    default: return "failure";
    }
}

int reportFailure(const Plugin &plugin, const char *what, UXDResult code, void *job = nullptr) {
    const char *text = plugin.getErrorText(job);
    std::fprintf(stderr, "uxdsend: %s failed with code %d (%s)%s%s\n", what, code,
                 codeMeaning(code), text && *text ? ": " : "", text ? text : "");
    return code;
}

bool parseLanguage(const char *text, uint32_t &language) {
    char *end = nullptr;
    unsigned long value = std::strtoul(text, &end, 0);
    if (!*text || *end || value > 0xFFFFFFFFul) return false;
    language = static_cast<uint32_t>(value);
    return true;
}

int listCatalogue(Plugin &plugin, int argc, char **argv) {
    bool haveLanguage = false;
    uint32_t language = 0;
    for (int i = 0; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lang") && i + 1 < argc && parseLanguage(argv[i + 1], language)) {
            haveLanguage = true;
            ++i;
        } else {
            std::fprintf(stderr, "uxdsend list: bad argument '%s'\n%s", argv[i], kUsage);
            return kUsageError;
        }
    }
    UXDDestinationCatalogue *catalogue =
        haveLanguage ? plugin.getExportDestinationsEx(language) : plugin.getExportDestinations();
    if (!catalogue) {
        std::fprintf(stderr, "uxdsend: no catalogue (out of memory)\n");
        return UXD_E_OUT_OF_MEMORY;
    }
    for (uint16_t i = 0; i < catalogue->entryCount; ++i) {
        const UXDDestinationEntry *entry = catalogue->entries[i];
        std::printf("identifier:  %.*s\n", UXD_DESTINATION_ID_SIZE, catalogue->identifier);
        std::printf("name:        %s\n", entry->name ? entry->name : "");
        std::printf("description: %s\n", entry->description ? entry->description : "");
    }
    return UXD_SUCCESS;
}

int run(Plugin &plugin, const char *command, int argc, char **argv) {
    if (!std::strcmp(command, "list")) return listCatalogue(plugin, argc, argv);
    if (!std::strcmp(command, "version")) {
        unsigned version = plugin.getVersion();
        std::printf("%u.%u\n", version >> 8, version & 0xFF);
        return UXD_SUCCESS;
    }
    std::fprintf(stderr, "uxdsend: unknown command '%s'\n%s", command, kUsage);
    return kUsageError;
}

}  // namespace

int main(int argc, char **argv) {
    std::string pluginPath = defaultPluginPath();
    int first = 1;
    if (argc > 2 && !std::strcmp(argv[1], "--plugin")) {
        pluginPath = argv[2];
        first = 3;
    }
    if (first >= argc || !std::strcmp(argv[first], "--help") || !std::strcmp(argv[first], "-h")) {
        std::fputs(kUsage, first >= argc ? stderr : stdout);
        return first >= argc ? kUsageError : 0;
    }

    Plugin plugin;
    std::string reason;
    if (!plugin.load(pluginPath, reason)) {
        std::fprintf(stderr, "uxdsend: %s\n", reason.c_str());
        return UXD_E_MAIL_UNAVAILABLE;
    }
    UXDResult started = plugin.initialize(0);
    if (started != UXD_SUCCESS) {
        reportFailure(plugin, "UXDInitialize", started);
        plugin.terminate();  // the count went up even though the start failed
        return started;
    }
    int status = run(plugin, argv[first], argc - first - 1, argv + first + 1);
    plugin.terminate();
    return status;
}
