// uxdsend: the reference host. Loads uxdmapi.dll exactly as a reporting host does and drives
// its entry points from the command line: the catalogue, the version, and sending files by
// mail. Its exit status is the plug-in's UXD code, so scripts can act on it.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "check_command.h"
#include "command_line.h"
#include "console_text.h"
#include "plugin.h"
#include "report.h"
#include "send_command.h"
#include "usage.h"

namespace {

int printCatalogue(Plugin &plugin, const ListArguments &arguments) {
    UXDDestinationCatalogue *catalogue = arguments.haveLanguage ? plugin.getExportDestinationsEx(arguments.language)
                                                                : plugin.getExportDestinations();
    if (!catalogue) {
        std::fprintf(stderr, "uxdsend: no catalogue (out of memory)\n");
        return UXD_E_OUT_OF_MEMORY;
    }
    for (uint16_t i = 0; i < catalogue->entryCount; ++i) {
        const UXDDestinationEntry *entry = catalogue->entries[i];
        std::string identifier(catalogue->identifier, strnlen(catalogue->identifier, UXD_DESTINATION_ID_SIZE));
        writeText(stdout, "identifier:  " + identifier + "\n");
        writeText(stdout, std::string("name:        ") + (entry->name ? entry->name : "") + "\n");
        writeText(stdout, std::string("description: ") + (entry->description ? entry->description : "") + "\n");
    }
    return UXD_SUCCESS;
}

int listCommand(const std::string &pluginPath, const std::vector<std::string> &words) {
    ListArguments arguments;
    std::string error;
    if (!parseListArguments(words, arguments, error)) return usageError(error);
    return runWithPlugin(pluginPath, [&](Plugin &plugin) { return printCatalogue(plugin, arguments); });
}

int versionCommand(const std::string &pluginPath, const std::vector<std::string> &words) {
    if (!words.empty()) return usageError("version takes no arguments");
    return runWithPlugin(pluginPath, [](Plugin &plugin) {
        unsigned version = plugin.getVersion();
        std::printf("%u.%u\n", version >> 8, version & 0xFF);
        return UXD_SUCCESS;
    });
}

}  // namespace

int main(int argc, char **argv) {
    std::string pluginPath = defaultPluginPath();
    int first = 1;
    if (argc > 1 && !std::strcmp(argv[1], "--plugin")) {
        if (argc == 2) return usageError("--plugin needs a value");
        pluginPath = argv[2];
        first = 3;
    }
    if (first >= argc) return usageError("no command given");
    const std::string command = argv[first];
    if (command == "--help" || command == "-h" || command == "help") {
        printUsage(stdout);
        return 0;
    }
    const std::vector<std::string> words(argv + first + 1, argv + argc);
    if (!words.empty() && (words[0] == "--help" || words[0] == "-h")) {  // "uxdsend send --help"
        printUsage(stdout);
        return 0;
    }
    if (command == "list") return listCommand(pluginPath, words);
    if (command == "version") return versionCommand(pluginPath, words);
    if (command == "send") return sendCommand(pluginPath, words);
    if (command == "check") return checkCommand(pluginPath, words);
    return usageError("unknown command '" + command + "'");
}
