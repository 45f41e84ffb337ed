// uxdmapi.dll as a reporting host loads it: by path, entry points bound by name.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "test_paths.h"
#include "uxdmapi.h"

extern "C" const char *uxd_c_host_identifier(UXDGetExportDestinationsExProc destinations);

class Plugin : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(dll, nullptr) << "cannot load, error " << GetLastError(); }
    void TearDown() override { FreeLibrary(dll); }
    template <class T = char>
    const T *at(DWORD rva) const { return reinterpret_cast<const T *>(reinterpret_cast<const BYTE *>(dll) + rva); }
    // A data directory of the image, read where the loader has mapped it.
    template <class T>
    const T *directory(int index) const {
        auto *nt = at<IMAGE_NT_HEADERS64>(at<IMAGE_DOS_HEADER>(0)->e_lfanew);
        return at<T>(nt->OptionalHeader.DataDirectory[index].VirtualAddress);
    }
    HMODULE dll = LoadLibraryExA(binFile("uxdmapi.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
};

// Bound by name right after the load; then a C host (public_header_c.c) reads the catalogue.
TEST_F(Plugin, ExportsPlainNamesImportsOnlyWhatEveryHostHasAndServesACHostFromTheLoad) {
    auto bind = [&](const char *name) { return reinterpret_cast<void *>(GetProcAddress(dll, name)); };
    auto version = reinterpret_cast<UXDGetVersionProc>(bind("UXDGetVersion"));
    auto errorText = reinterpret_cast<UXDGetErrorTextProc>(bind("UXDGetErrorText"));
    auto destinations = reinterpret_cast<UXDGetExportDestinationsExProc>(bind("UXDGetExportDestinationsEx"));
    ASSERT_TRUE(version && errorText && destinations) << "entry points not found by name";
    EXPECT_EQ(version(), 0x0100);
    EXPECT_STREQ(errorText(nullptr), "");  // a null pointer fails this too
    EXPECT_STREQ(uxd_c_host_identifier(destinations), "xmapi");
    // Without a language: the catalogue of the product's, as the resource manager reports it.
    auto productDestinations = reinterpret_cast<UXDGetExportDestinationsProc>(bind("UXDGetExportDestinations"));
    auto productLocale = reinterpret_cast<LANGID(WINAPI *)()>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("rmlocale-1-0.dll"), "GetProductLocale")));
    ASSERT_TRUE(productDestinations && productLocale);
    EXPECT_EQ(productDestinations(), destinations(productLocale()));
    auto *exports = directory<IMAGE_EXPORT_DIRECTORY>(IMAGE_DIRECTORY_ENTRY_EXPORT);
    std::set<std::string> exported;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        exported.insert(at(at<DWORD>(exports->AddressOfNames)[i]));
    EXPECT_EQ(exported, (std::set<std::string>{
        "DllMain", "UXDInitialize", "UXDTerminate", "UXDGetVersion", "UXDGetErrorText",
        "UXDGetExportDestinations", "UXDGetExportDestinationsEx", "UXDInitExportDestination",
        "UXDTermExportDestination", "UXDExportToDestination", "UXDFreeDestinationOptions",
        "UXDEncodeDestinationOptions", "UXDDecodeDestinationOptions", "UXDDestinationOptionsW2A",
        "UXDDestinationOptionsA2W", "UXDW2ADestinationOptions", "UXDA2WDestinationOptions"}))
        << "undecorated C names, no others";
    // The C++ run-times are linked in: no libstdc++, libgcc or winpthread beside the plug-in.
    const std::set<std::string> allowed = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll",
        "gdi32.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "comdlg32.dll", "ucrtbase.dll",
        "mapi32.dll", "rmlocale-1-0.dll"};
    for (auto *i = directory<IMAGE_IMPORT_DESCRIPTOR>(IMAGE_DIRECTORY_ENTRY_IMPORT); i->Name; ++i) {
        std::string name = at(i->Name);
        CharLowerA(name.data());
        EXPECT_EQ(allowed.count(name), 1u) << "imports " << name << ", which a host need not have";
    }
}
