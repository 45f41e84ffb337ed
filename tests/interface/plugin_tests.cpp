// uxdmapi.dll as a reporting host sees it: the file on disk, loaded fresh by path for every
// test, entry points bound by name, records read at their byte offsets rather than through
// the header's structs, so a layout change in the header cannot hide itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "iat_hook.h"
#include "test_paths.h"
#include "uxdmapi.h"

extern "C" size_t uxd_c_header_layout(unsigned index);

namespace {

const std::string kPluginPath = binFile("uxdmapi.dll");
const char kEnglishDescription[] =
    "MAPI exports the report in the specified format as an e-mail attachment.  Note: for this "
    "format to work, you must have a mail client installed.";
static_assert(sizeof kEnglishDescription == 143 + 1, "two blanks after \"attachment.\"");
const char kGermanDescription[] =
    "MAPI exportiert den Bericht im angegebenen Format als E-Mail-Anlage.  Hinweis: Damit "
    "dieses Format funktioniert, muss ein E-Mail-Programm installiert sein.";

template <class T>
T at(const void *base, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char *>(base) + offset, sizeof value);
    return value;
}

// Null-safe, so a missing record fails the comparison instead of crashing the run.
const void *firstEntry(const void *catalogue) {
    const void *array = catalogue ? at<const void *>(catalogue, 8) : nullptr;
    return array ? at<const void *>(array, 0) : nullptr;
}
const char *textAt(const void *catalogue, size_t offset) {
    const void *entry = firstEntry(catalogue);
    return entry ? at<const char *>(entry, offset) : nullptr;
}
const char *nameOf(const void *catalogue) { return textAt(catalogue, 8); }
const char *descriptionOf(const void *catalogue) { return textAt(catalogue, 24); }

// A record's bytes in hex, each 8-byte pointer at the given offsets shown as "ptr".
std::string bytesOf(const void *record, size_t size, std::initializer_list<size_t> pointers) {
    std::string text;
    char byte[4];
    for (size_t i = 0; i < size; ++i) {
        bool pointer = std::find(pointers.begin(), pointers.end(), i) != pointers.end();
        std::snprintf(byte, sizeof byte, " %02x", static_cast<const unsigned char *>(record)[i]);
        text += pointer ? " ptr" : byte;
        if (pointer) i += 7;
    }
    return text.substr(1);
}

// Every byte a host reads; what the texts say is left to each test.
void expectLayout(const void *catalogue) {
    ASSERT_NE(catalogue, nullptr) << "expected a catalogue, got null";
    EXPECT_EQ(bytesOf(catalogue, 24, {8}), "18 00 01 00 00 00 00 00 ptr 78 6d 61 70 69 00 00 00")
        << "catalogue: size 24, count 1, zeros, entries, \"xmapi\" zero padded";
    const void *entry = firstEntry(catalogue);
    ASSERT_NE(entry, nullptr) << "expected an entry array holding one entry";
    EXPECT_EQ(bytesOf(entry, 32, {8, 24}), "20 00 00 00 00 00 00 00 ptr 00 00 00 00 00 00 00 00 ptr")
        << "entry: size 32, zeros, name, value 0, zeros, description";
    ASSERT_NE(nameOf(catalogue), nullptr) << "name pointer at entry offset 8";
    ASSERT_NE(descriptionOf(catalogue), nullptr) << "description pointer at entry offset 24";
}

// ---- the file ---------------------------------------------------------------------------

// The DLL as read from disk: RVAs become file offsets through the section table.
struct PeFile {
    std::vector<char> bytes;
    const IMAGE_NT_HEADERS64 *nt = nullptr;

    explicit PeFile(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        LONG header = bytes.size() > 0x400 ? at<LONG>(bytes.data(), 0x3c) : 0;  // e_lfanew
        if (header > 0 && header + sizeof(IMAGE_NT_HEADERS64) <= bytes.size())
            nt = reinterpret_cast<const IMAGE_NT_HEADERS64 *>(bytes.data() + header);
        if (nt && (nt->Signature != IMAGE_NT_SIGNATURE ||
                   nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC))
            nt = nullptr;
    }
    template <class T = char>
    const T *rva(DWORD address) const {
        const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            DWORD offset = address - section->VirtualAddress;
            if (address >= section->VirtualAddress && offset < section->SizeOfRawData &&
                section->PointerToRawData + offset < bytes.size())
                return reinterpret_cast<const T *>(bytes.data() + section->PointerToRawData + offset);
        }
        return nullptr;
    }
    DWORD directory(int index) const { return nt->OptionalHeader.DataDirectory[index].VirtualAddress; }

    std::vector<std::string> exportNames() const {
        std::vector<std::string> names;
        auto *exports = rva<IMAGE_EXPORT_DIRECTORY>(directory(IMAGE_DIRECTORY_ENTRY_EXPORT));
        const DWORD *name = exports ? rva<DWORD>(exports->AddressOfNames) : nullptr;
        for (DWORD i = 0; name && i < exports->NumberOfNames; ++i) names.push_back(rva(name[i]));
        return names;
    }
    std::vector<std::string> importedDlls() const {
        std::vector<std::string> dlls;
        auto *import = rva<IMAGE_IMPORT_DESCRIPTOR>(directory(IMAGE_DIRECTORY_ENTRY_IMPORT));
        for (; import && import->Name; ++import) dlls.push_back(rva(import->Name));
        return dlls;
    }
};

TEST(PluginFile, ExportsEveryEntryPointUnderItsPlainName) {
    PeFile file(kPluginPath);
    ASSERT_NE(file.nt, nullptr) << kPluginPath << " is not a 64-bit PE file";
    std::vector<std::string> names = file.exportNames();
    for (const char *wanted : {"DllMain", "UXDInitialize", "UXDTerminate", "UXDGetVersion",
                               "UXDGetErrorText", "UXDGetExportDestinations",
                               "UXDGetExportDestinationsEx"})
        EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end())
            << "expected export " << wanted << "; exported: " << testing::PrintToString(names);
    for (const std::string &name : names)
        EXPECT_TRUE(name.find_first_of("@?") == std::string::npos && name[0] != '_')
            << "expected plain C names, got decorated export " << name;
}

TEST(PluginFile, ImportsOnlySystemDllsAndItsCompanions) {
    // The run-times are linked in: a host machine has nothing but these beside the plug-in.
    static const char *const allowed[] = {
        "kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll", "gdi32.dll", "ole32.dll",
        "oleaut32.dll", "shell32.dll", "comdlg32.dll", "version.dll", "ucrtbase.dll",
        "rmlocale-1-0.dll", "mapi32.dll"};
    PeFile file(kPluginPath);
    ASSERT_NE(file.nt, nullptr) << kPluginPath << " is not a 64-bit PE file";
    std::vector<std::string> dlls = file.importedDlls();
    EXPECT_FALSE(dlls.empty()) << "expected an import table, found none";
    for (const std::string &dll : dlls) {
        bool ok = _strnicmp(dll.c_str(), "api-ms-win-", 11) == 0;
        for (const char *name : allowed) ok = ok || _stricmp(dll.c_str(), name) == 0;
        EXPECT_TRUE(ok) << "imports " << dll << ", which a host machine need not have";
    }
}

TEST(PluginFile, CarriesVersionRecord) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(kPluginPath.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version record in " << kPluginPath << ", error " << GetLastError();
    std::vector<char> record(size);
    ASSERT_TRUE(GetFileVersionInfoA(kPluginPath.c_str(), 0, size, record.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    char *text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(record.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u) << "file version 1.0 in the fixed part";
    EXPECT_EQ(fixed->dwFileVersionLS, 0u) << "file version .0.0 in the fixed part";
    ASSERT_TRUE(VerQueryValueA(record.data(), "\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void **>(&text), &length))
        << "no English FileVersion string";
    EXPECT_STREQ(text, "1.0.0.0");
}

TEST(PublicHeader, CompilesAsCWithTheSameLayoutAsCxx) {
    using E = UXDDestinationEntry;
    using C = UXDDestinationCatalogue;
    const size_t cxx[] = {sizeof(E), offsetof(E, structSize), offsetof(E, reserved1),
                          offsetof(E, name), offsetof(E, value), offsetof(E, reserved2),
                          offsetof(E, description), sizeof(C), offsetof(C, structSize),
                          offsetof(C, entryCount), offsetof(C, reserved), offsetof(C, entries),
                          offsetof(C, identifier), sizeof(C::identifier), sizeof(UXDResult)};
    const size_t bytes[] = {32, 0, 2, 8, 16, 20, 24, 24, 0, 2, 4, 8, 16, 8, 4};
    for (unsigned i = 0; i < std::size(cxx); ++i) {
        EXPECT_EQ(uxd_c_header_layout(i), cxx[i]) << "layout fact " << i << ": C against C++";
        EXPECT_EQ(cxx[i], bytes[i]) << "layout fact " << i << " against the byte layout";
    }
    EXPECT_EQ(uxd_c_header_layout(std::size(cxx)), size_t(-1)) << "C reports more facts";
}

// ---- the loaded module ------------------------------------------------------------------

class Plugin : public testing::Test {
protected:
    void SetUp() override {
        // Module state is fresh only if the previous test's load is gone.
        ASSERT_EQ(GetModuleHandleA("uxdmapi.dll"), nullptr) << "uxdmapi.dll still loaded";
        library_ = LoadLibraryExA(kPluginPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        ASSERT_NE(library_, nullptr) << "cannot load " << kPluginPath << ", error " << GetLastError();
        ASSERT_TRUE(bind("UXDInitialize", initialize) && bind("UXDTerminate", terminate) &&
                    bind("UXDGetVersion", getVersion) && bind("UXDGetErrorText", getErrorText) &&
                    bind("UXDGetExportDestinations", destinations) &&
                    bind("UXDGetExportDestinationsEx", destinationsEx));
    }
    void TearDown() override { if (library_) FreeLibrary(library_); }

    template <class F>
    bool bind(const char *name, F &target) {
        target = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(library_, name)));
        EXPECT_NE(target, nullptr) << "entry point " << name << " not found";
        return target != nullptr;
    }

    HMODULE library_ = nullptr;
    decltype(&UXDInitialize) initialize = nullptr;
    decltype(&UXDTerminate) terminate = nullptr;
    decltype(&UXDGetVersion) getVersion = nullptr;
    decltype(&UXDGetErrorText) getErrorText = nullptr;
    decltype(&UXDGetExportDestinations) destinations = nullptr;
    decltype(&UXDGetExportDestinationsEx) destinationsEx = nullptr;
};

TEST_F(Plugin, ReportsInterfaceVersionAndEmptyErrorText) {
    EXPECT_EQ(getVersion(), 0x0100);
    const char *text = getErrorText(nullptr);
    ASSERT_NE(text, nullptr) << "expected \"\", got null";
    EXPECT_STREQ(text, "");
}

TEST_F(Plugin, CatalogueBeforeInitializeHasLayoutAndEmptyTexts) {
    for (uint32_t language : {0x0409u, 0x0407u, 0u}) {
        SCOPED_TRACE(testing::Message() << "language 0x" << std::hex << language);
        const void *catalogue = destinationsEx(language);
        ASSERT_NO_FATAL_FAILURE(expectLayout(catalogue));
        EXPECT_STREQ(nameOf(catalogue), "");
        EXPECT_STREQ(descriptionOf(catalogue), "");
    }
}

// The plug-in's loads and frees of the mail library, seen through its import table: Wine
// keeps its mapi32 resident after a balanced load and free, so the module list cannot tell.
struct MailLibrarySpy {
    static inline int loads = 0, frees = 0;
    static inline bool failLoads = false;
    static inline HMODULE loaded = nullptr;

    static HMODULE WINAPI loadLibrary(LPCSTR name) {
        bool mail = name && _stricmp(name, "MAPI32.DLL") == 0;
        if (mail && (++loads, failLoads)) return SetLastError(ERROR_MOD_NOT_FOUND), nullptr;
        HMODULE module = LoadLibraryA(name);
        return mail ? (loaded = module) : module;
    }
    static BOOL WINAPI freeLibrary(HMODULE module) {
        frees += module && module == loaded;
        return FreeLibrary(module);
    }
    MailLibrarySpy(HMODULE plugin, bool failing)
        : load_(plugin, "KERNEL32.dll", "LoadLibraryA", reinterpret_cast<void *>(&loadLibrary)),
          free_(plugin, "KERNEL32.dll", "FreeLibrary", reinterpret_cast<void *>(&freeLibrary)) {
        loads = frees = 0;
        failLoads = failing;
        loaded = nullptr;
    }
    bool installed() const { return load_.installed() && free_.installed(); }
    IatHook load_, free_;
};

TEST_F(Plugin, UseCountKeepsTextsUntilLastTerminate) {
    MailLibrarySpy spy(library_, false);
    ASSERT_TRUE(spy.installed()) << "uxdmapi.dll imports no LoadLibraryA/FreeLibrary from KERNEL32";
    ASSERT_EQ(initialize(0), UXD_SUCCESS);
    EXPECT_EQ(spy.loads, 1) << "the first use looks for MAPI32.DLL";
    EXPECT_EQ(spy.frees, 1) << "and releases it again";
    const void *early = destinationsEx(0x0409);
    EXPECT_EQ(initialize(0), UXD_SUCCESS);
    EXPECT_EQ(spy.loads, 1) << "a further use starts nothing";
    EXPECT_EQ(terminate(), UXD_SUCCESS);
    EXPECT_STREQ(nameOf(destinationsEx(0)), "MAPI") << "one use is still open";
    EXPECT_EQ(terminate(), UXD_SUCCESS);
    EXPECT_STREQ(nameOf(destinationsEx(0)), "") << "the texts go with the last use";
    EXPECT_STREQ(nameOf(early), "MAPI") << "catalogues stay valid until unload";
    EXPECT_STREQ(descriptionOf(early), kEnglishDescription);
}

TEST_F(Plugin, TerminateWithoutInitializeIsHarmless) {
    EXPECT_EQ(terminate(), UXD_SUCCESS);
    EXPECT_EQ(initialize(0), UXD_SUCCESS);
    EXPECT_STREQ(nameOf(destinationsEx(0x0409)), "MAPI") << "the module still starts";
    EXPECT_EQ(terminate(), UXD_SUCCESS);
}

TEST_F(Plugin, MissingMailLibraryMakesMailUnavailable) {
    MailLibrarySpy spy(library_, true);
    ASSERT_TRUE(spy.installed()) << "uxdmapi.dll imports no LoadLibraryA/FreeLibrary from KERNEL32";
    EXPECT_EQ(initialize(0), UXD_E_MAIL_UNAVAILABLE);
    EXPECT_EQ(spy.loads, 1) << "expected one attempt to load MAPI32.DLL";
    EXPECT_STREQ(nameOf(destinationsEx(0x0409)), "") << "no texts without mail";
    EXPECT_EQ(terminate(), UXD_SUCCESS);
}

// WIN.INI [Mail] MAPI=0 for one test; the old value goes back, as every test program in the
// prefix relies on it.
class MailSettingOff : public Plugin {
protected:
    void SetUp() override {
        hadSetting_ = GetProfileStringA("Mail", "MAPI", "", previous_, sizeof previous_) > 0;
        ASSERT_TRUE(WriteProfileStringA("Mail", "MAPI", "0"));
        Plugin::SetUp();
    }
    void TearDown() override {
        Plugin::TearDown();
        WriteProfileStringA("Mail", "MAPI", hadSetting_ ? previous_ : nullptr);
    }
    char previous_[64] = "";
    bool hadSetting_ = false;
};

TEST_F(MailSettingOff, FirstInitializeFailsAndLaterOnesOnlyCount) {
    MailLibrarySpy spy(library_, false);
    ASSERT_TRUE(spy.installed()) << "uxdmapi.dll imports no LoadLibraryA/FreeLibrary from KERNEL32";
    EXPECT_EQ(initialize(0), UXD_E_MAIL_UNAVAILABLE);
    EXPECT_EQ(spy.loads, 0) << "the mail library is not even looked for";
    EXPECT_STREQ(nameOf(destinationsEx(0x0409)), "") << "no texts loaded";
    EXPECT_EQ(initialize(0), UXD_SUCCESS) << "the failed call counted as a use";
    EXPECT_STREQ(nameOf(destinationsEx(0x0407)), "") << "a counted use starts nothing";
    EXPECT_EQ(terminate(), UXD_SUCCESS);
    EXPECT_EQ(terminate(), UXD_SUCCESS);
}

// ---- catalogues of a started module -----------------------------------------------------

class Started : public Plugin {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(Plugin::SetUp());
        started_ = true;  // a failed call counts as a use too, and is balanced all the same
        ASSERT_EQ(initialize(0), UXD_SUCCESS) << "the prefix needs [Mail] MAPI=1";
    }
    void TearDown() override {
        if (started_) {
            EXPECT_EQ(terminate(), UXD_SUCCESS);
        }
        Plugin::TearDown();
    }
    bool started_ = false;
};

TEST_F(Started, CataloguesAreKeptPerLanguageAndMadeAnewForLanguageZero) {
    const void *english = destinationsEx(0x0409), *german = destinationsEx(0x0407);
    ASSERT_NO_FATAL_FAILURE(expectLayout(english));
    ASSERT_NO_FATAL_FAILURE(expectLayout(german));
    EXPECT_EQ(destinationsEx(0x0409), english) << "a language's catalogue is kept";
    EXPECT_NE(german, english);
    EXPECT_NE(nameOf(german), nameOf(english)) << "each catalogue owns its texts";
    EXPECT_NE(descriptionOf(german), descriptionOf(english));

    const void *first = destinationsEx(0), *second = destinationsEx(0);
    ASSERT_NO_FATAL_FAILURE(expectLayout(second));
    EXPECT_NE(first, second) << "language 0 gives a new catalogue on every call";
    EXPECT_NE(nameOf(first), nameOf(second));
    EXPECT_STREQ(nameOf(second), "MAPI");

    EXPECT_EQ(destinations(), destinationsEx(GetUserDefaultUILanguage()))
        << "the plain call uses the user's UI language 0x" << std::hex << GetUserDefaultUILanguage();
}

struct LanguageTexts {
    uint32_t language;
    std::string name, description;
    friend void PrintTo(const LanguageTexts &texts, std::ostream *out) {
        *out << "language 0x" << std::hex << texts.language;
    }
};

std::string repeated(const char *piece, size_t length) {
    std::string text;
    while (text.size() < length) text += piece;
    return text.substr(0, length);
}

class Texts : public Started, public testing::WithParamInterface<LanguageTexts> {};

TEST_P(Texts, AreThoseOfTheLanguageCutToTheirBuffers) {
    const void *catalogue = destinationsEx(GetParam().language);
    ASSERT_NO_FATAL_FAILURE(expectLayout(catalogue));
    EXPECT_EQ(nameOf(catalogue), GetParam().name);
    EXPECT_EQ(descriptionOf(catalogue), GetParam().description);
}

// pelmo0600.dll holds a 300-character name and a 1100-character description.
INSTANTIATE_TEST_SUITE_P(
    Languages, Texts,
    testing::Values(LanguageTexts{0x0409, "MAPI", kEnglishDescription},
                    LanguageTexts{0x0407, "MAPI", kGermanDescription},
                    LanguageTexts{0x0C07, "MAPI", kGermanDescription},  // falls back to 0x0407
                    LanguageTexts{0x0600, repeated("0123456789", 255), repeated("abcdefghij", 1020)}),
    [](const testing::TestParamInfo<LanguageTexts> &info) {
        char name[16];
        std::snprintf(name, sizeof name, "lang%04X", unsigned(info.param.language));
        return std::string(name);
    });

}  // namespace
