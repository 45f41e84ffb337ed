// The shipped plug-in under Wine, against its yardsticks side by side: a silent send against
// the bare Simple MAPI sequence with the same message through the same provider (the test
// mail system, keeping no files), loading and starting it against an empty DLL, and the
// cached catalogue's allocations, counted at the plug-in's imports of the C heap.
#include <windows.h>
#include <mapi.h>

#include <fstream>
#include <string>

#include "bench_table.h"
#include "iat_hook.h"
#include "uxdmapi.h"

namespace {

struct Plugin {
    HMODULE module = nullptr;
    UXDInitializeProc initialize;
    UXDTerminateProc terminate;
    UXDGetExportDestinationsExProc catalogue;
    UXDInitExportDestinationProc initJob;
    UXDExportToDestinationProc exportJob;
    UXDTermExportDestinationProc termJob;

    template <class F>
    void bind(F &f, const char *name) { f = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name))); }
    explicit Plugin(HMODULE loaded) : module(loaded) {
        bind(initialize, "UXDInitialize"), bind(terminate, "UXDTerminate");
        bind(catalogue, "UXDGetExportDestinationsEx");
        bind(initJob, "UXDInitExportDestination"), bind(exportJob, "UXDExportToDestination");
        bind(termJob, "UXDTermExportDestination");
    }
};

// One mail: two recipients with their addresses (nothing to resolve), one attachment.
struct Message {
    std::string report;
    MapiRecipDesc recipients[2] = {
        {0, MAPI_TO, const_cast<char *>("Ann Archer"), const_cast<char *>("SMTP:ann@example.com"), 0, nullptr},
        {0, MAPI_TO, const_cast<char *>("Bob Carter"), const_cast<char *>("SMTP:bob@example.com"), 0, nullptr}};
    MapiFileDesc file = {};
    MapiMessage message = {};
    UXDExportFile exportFile = {};
    const UXDExportFile *exportFiles[1] = {&exportFile};
    UXDExportRecord record = {};
    MAPIDestinationOptions options = {};
    const char *paths[1] = {};
    UXDExportRequest request = {};

    explicit Message(const std::string &folder) : report(folder + "report.pdf") {
        std::ofstream(report, std::ios::binary) << "%PDF-1.4\n" << std::string(1000, 'x');
        file.nPosition = ULONG(-1), file.lpszPathName = &report[0], file.lpszFileName = const_cast<char *>("Sales Q1.pdf");
        message.lpszSubject = const_cast<char *>("Sales, Q1");
        message.lpszNoteText = const_cast<char *>("The figures.");
        message.nRecipCount = 2, message.lpRecips = recipients;
        message.nFileCount = 1, message.lpFiles = &file;
        exportFile.hasFileName = 1, exportFile.fileName = "C:\\reports\\Sales Q1.pdf";
        record.structSize = 64, record.fileCount = 1, record.files = exportFiles, record.language = 0x0409;
        options.structSize = UXD_OPTIONS_SIZE;
        options.subject = message.lpszSubject, options.message = message.lpszNoteText;
        options.nRecipients = 2, options.recipients = reinterpret_cast<UXDRecipDesc *>(recipients);
        paths[0] = report.c_str();
        request.fileCount = 1, request.filePaths = paths;
    }
};

// The plug-in's allocations, counted where it calls the C heap.
long heapCalls = 0;
decltype(&malloc) realMalloc;
decltype(&calloc) realCalloc;
void *countedMalloc(size_t bytes) { return ++heapCalls, realMalloc(bytes); }
void *countedCalloc(size_t count, size_t bytes) { return ++heapCalls, realCalloc(count, bytes); }

HCURSOR WINAPI noCursor(HINSTANCE, LPCSTR) { return nullptr; }
HCURSOR WINAPI keepCursor(HCURSOR) { return nullptr; }

// As a host starts and stops it: load, look the two entry points up, call them, unload.
// `path` is the plug-in's; its rmlocale-1-0.dll is the one beside it.
bench::Pair loadAndStart(const bench::Effort &effort, const std::string &path) {
    return bench::sideBySide(effort, 20, [&] {
        DWORD search = path.find('\\') == std::string::npos ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH;
        HMODULE plugin = LoadLibraryExA(path.c_str(), nullptr, search);
        if (!plugin) return;
        auto initialize = reinterpret_cast<UXDInitializeProc>(reinterpret_cast<void *>(GetProcAddress(plugin, "UXDInitialize")));
        auto terminate = reinterpret_cast<UXDTerminateProc>(reinterpret_cast<void *>(GetProcAddress(plugin, "UXDTerminate")));
        initialize(0);
        terminate();
        FreeLibrary(plugin);
    }, [] { FreeLibrary(LoadLibraryA("empty.dll")); });
}

// A shipped binary's size as `make dist` packs it (the release build, stripped).
void sizeRow(bench::Table &table, const std::string &folder, const char *name, long limit) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    bool found = GetFileAttributesExA((folder + name).c_str(), GetFileExInfoStandard, &data);
    double bytes = found ? double(data.nFileSizeLow) : 0;
    table.row(std::string("size of ") + name + ", stripped", found ? bench::format("%.0f bytes", bytes) : "missing",
              bench::format("%.0f%% of the limit", 100 * bytes / limit),
              bench::format("<= %.0f KB", limit / 1024.0), found && bytes <= limit);
}

}  // namespace

int main(int argc, char **argv) {
    bench::Effort effort = bench::effortFrom(argc, argv);
    // The test mail system keeps neither a log nor the messages: the module is measured, not the disk.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "uxd_bench\\", config = folder + "testmail.ini";
    CreateDirectoryA(folder.c_str(), nullptr);
    WritePrivateProfileStringA("files", "log", "", config.c_str());
    WritePrivateProfileStringA("files", "keep", "no", config.c_str());
    WritePrivateProfileStringA("files", "outbox", (folder + "outbox").c_str(), config.c_str());
    SetEnvironmentVariableA("UXD_TESTMAIL_CONFIG", config.c_str());
    bench::Table table("The plug-in under Wine, against its yardsticks");

    std::string stripped;  // --stripped DIR: the release build's plug-in as well
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--stripped")) stripped = std::string(argv[i + 1]) + "\\uxdmapi.dll";
    bench::Pair cold = loadAndStart(effort, "uxdmapi.dll");
    table.row("load + UXDInitialize + UXDTerminate / an empty DLL, cold",
              bench::format("%.0f", cold.measured.min) + " / " + bench::format("%.0f", cold.measured.median) + " us",
              bench::format("%.2f", cold.minRatio()) + "x / " + bench::format("%.2f", cold.medianRatio()) + "x",
              "none (MAPI32.DLL loads with it)", true);
    HMODULE mapi = LoadLibraryA("mapi32.dll");
    bench::Pair resident = loadAndStart(effort, "uxdmapi.dll");
    table.row("load + UXDInitialize + UXDTerminate / an empty DLL, MAPI32.DLL resident",
              bench::format("%.1f", resident.measured.min) + " / " + bench::format("%.1f", resident.measured.median) + " us",
              bench::format("%.2f", resident.minRatio()) + "x / " + bench::format("%.2f", resident.medianRatio()) + "x",
              "none (the test build: its debug information is mapped with it)", true);
    if (!stripped.empty())
        table.ratioRow("the same, the stripped release build", loadAndStart(effort, stripped), 2.0);

    auto logon = reinterpret_cast<LPMAPILOGON>(reinterpret_cast<void *>(GetProcAddress(mapi, "MAPILogon")));
    auto send = reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void *>(GetProcAddress(mapi, "MAPISendMail")));
    auto logoff = reinterpret_cast<LPMAPILOGOFF>(reinterpret_cast<void *>(GetProcAddress(mapi, "MAPILogoff")));
    Plugin plugin(LoadLibraryA("uxdmapi.dll"));
    plugin.initialize(0);
    Message m(folder);
    int failures = 0;
    auto silentSend = [&] {
        void *job = nullptr;
        UXDJobInfo *info = nullptr;
        failures += plugin.initJob(nullptr, 0, &m.options, &m.record, &job, &info) != UXD_SUCCESS;
        failures += plugin.exportJob(job, &m.request) != UXD_SUCCESS;
        plugin.termJob(job, 0);
    };
    auto bareSequence = [&] {
        LHANDLE session = 0;
        failures += logon(0, nullptr, nullptr, 0, 0, &session) != SUCCESS_SUCCESS;
        failures += send(session, 0, &m.message, 0, 0) != SUCCESS_SUCCESS;
        logoff(session, 0, 0, 0);
    };
    table.ratioRow("silent send (2 recipients, 1 file) / bare MAPILogon + MAPISendMail + MAPILogoff",
                   bench::sideBySide(effort, 20, silentSend, bareSequence), 1.4);
    {
        IatHook load(plugin.module, "user32.dll", "LoadCursorA", reinterpret_cast<void *>(&noCursor));
        IatHook set(plugin.module, "user32.dll", "SetCursor", reinterpret_cast<void *>(&keepCursor));
        table.ratioRow("the same, the plug-in's cursor calls stubbed out",
                       bench::sideBySide(effort, 20, silentSend, bareSequence), 1.1);
    }
    if (failures) std::fprintf(stderr, "%d calls failed while sending\n", failures);

    plugin.catalogue(0x0409);  // made once, then cached
    {
        IatHook m1(plugin.module, "msvcrt.dll", "malloc", reinterpret_cast<void *>(&countedMalloc));
        IatHook m2(plugin.module, "msvcrt.dll", "calloc", reinterpret_cast<void *>(&countedCalloc));
        realMalloc = reinterpret_cast<decltype(realMalloc)>(m1.original());
        realCalloc = reinterpret_cast<decltype(realCalloc)>(m2.original());
        heapCalls = 0;
        const int calls = 1000;
        for (int i = 0; i < calls; ++i) plugin.catalogue(0x0409);
        double perCall = double(heapCalls) / calls;
        bench::Timing t = bench::alone(effort, 1000, [&] { plugin.catalogue(0x0409); });
        table.row("cached catalogue (UXDGetExportDestinationsEx 0x0409): allocations per call, time",
                  bench::format("%.3f", t.min) + " / " + bench::format("%.3f", t.median) + " us",
                  bench::format("%.1f allocations", perCall), "0 allocations", heapCalls == 0);
    }
    plugin.terminate();
    if (!stripped.empty()) {
        std::string folder = stripped.substr(0, stripped.rfind('\\') + 1);
        sizeRow(table, folder, "uxdmapi.dll", UXD_SIZE_LIMIT_UXDMAPI);
        sizeRow(table, folder, "rmlocale-1-0.dll", UXD_SIZE_LIMIT_RMLOCALE);
        sizeRow(table, folder, "uxdsend.exe", UXD_SIZE_LIMIT_UXDSEND);
    }
    table.print();
    return failures ? 1 : 0;
}
