// The module's code linked into this program, whose own resources stand in for the module's:
// starting and stopping under the use count, and the catalogues with their cache.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "allocation.h"
#include "allocation_sweep.h"
#include "catalogue.h"
#include "iat_hook.h"
#include "mail_client_registration.h"
#include "module_state.h"
#include "rmlocale.h"
#include "test_mail.h"
#include "test_paths.h"
#include "uxdmapi.h"

using namespace uxd;

// Calls into rmlocale-1-0.dll counted through this program's (hooked, so bypassed) imports.
struct { int inits, loads, terms; } rmCalls;
#define REAL(f) reinterpret_cast<decltype(&f)>(reinterpret_cast<void *>( \
    GetProcAddress(GetModuleHandleA("rmlocale-1-0.dll"), #f)))
RMSESSION WINAPI countedInit(HINSTANCE module, DWORD options, LPCWSTR pattern, DWORD fallback) {
    return ++rmCalls.inits, REAL(RMInitResMgrSession)(module, options, pattern, fallback);
}
int WINAPI countedLoad(RMSESSION session, WORD language, UINT id, LPSTR buffer, int maxChars) {
    return ++rmCalls.loads, REAL(RMLoadStringA)(session, language, id, buffer, maxChars);
}
void WINAPI countedTerm(RMSESSION session) { ++rmCalls.terms, REAL(RMTermResMgrSession)(session); }

// Each test starts from a module just loaded with [Mail] MAPI=1, and must leave no block behind.
class Module : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(init.installed() && load.installed() && term.installed())
            << "expected this program to import the resource manager";
        WriteProfileStringA("Mail", "MAPI", "1");
        module.moduleInstance = self;
        rmCalls = {};
    }
    void TearDown() override {
        allocation_fault::reset();
        do UXDTerminate(); while (module.useCount > 0);
        module.useCount = 0;
        catalogue::releaseAll();
        EXPECT_EQ(allocation_fault::outstanding(), blocks) << "blocks leaked";
        WriteProfileStringA("Mail", "MAPI", "1");
    }
    HMODULE self = GetModuleHandleA(nullptr);
    const char *rm = "rmlocale-1-0.dll";
    IatHook init{self, rm, "RMInitResMgrSession", reinterpret_cast<void *>(&countedInit)};
    IatHook load{self, rm, "RMLoadStringA", reinterpret_cast<void *>(&countedLoad)};
    IatHook term{self, rm, "RMTermResMgrSession", reinterpret_cast<void *>(&countedTerm)};
    long blocks = allocation_fault::outstanding();
};

TEST_F(Module, OneSessionForAllUsesAStrayTerminateLeavesNoDebtAndARefusedStartCounts) {
    EXPECT_EQ(UXDTerminate(), UXD_SUCCESS) << "UXDTerminate without UXDInitialize";
    ASSERT_EQ(UXDInitialize(0), UXD_SUCCESS);
    EXPECT_EQ(UXDInitialize(0), UXD_SUCCESS);
    EXPECT_EQ(UXDTerminate(), UXD_SUCCESS);
    // A stray UXDTerminate that counted would show here as a second session or an early close.
    EXPECT_EQ(rmCalls.inits, 1) << "one session for both uses";
    EXPECT_EQ(rmCalls.terms, 0) << "one use is still open";
    EXPECT_EQ(UXDTerminate(), UXD_SUCCESS);
    EXPECT_EQ(rmCalls.terms, 1) << "the last use closes the session";
    WriteProfileStringA("Mail", "MAPI", "0");  // mail off: 7, and later calls only count
    EXPECT_EQ(UXDInitialize(0), UXD_E_MAIL_UNAVAILABLE);
    EXPECT_EQ(UXDInitialize(0), UXD_SUCCESS) << "the failed call counted as a use";
    EXPECT_EQ(rmCalls.inits, 1) << "and neither call opened a session";
}

// With no client to hand calls to, MAPI32.DLL answers the first mail call with a modal box:
// the module refuses to start instead, where the stub certainly finds none.
TEST_F(Module, StartsOnlyWhereMAPI32HasAMailClientToHandCallsTo) {
    char self32[MAX_PATH];
    GetModuleFileNameA(nullptr, self32, MAX_PATH);  // a 64-bit image that exists
    const std::string image = self32, notImage = std::string(self32) + ".txt";
    const std::string i386Path = writeDll(std::string(self32) + ".i386.dll", IMAGE_FILE_MACHINE_I386);
    ASSERT_TRUE(writeFile(notImage, "not a DLL") && !i386Path.empty());
    // The client the stub would hand calls to, set up per user (read before the machine's) for
    // each case; the test mail system stays the machine's client meanwhile.
    const struct { const char *registered; ClientValues values; bool available; DWORD type = REG_SZ; } cases[] = {
        // The office suite's shape: a bare name the search may not find, and an installer component.
        {"office suite", {{"DLLPath", "MAPI32.dll"}, {"MSIComponentID", "{1D2A7E5D-A6B1-4CE4-9B62-54C61B19C34C}"}}, true},
        {"installer component only", {{"MSIComponentID", "{1D2A7E5D-A6B1-4CE4-9B62-54C61B19C34C}"}}, true},
        {"bare name only", {{"DLLPath", "uxdmapi-nowhere.dll"}}, true},
        {"64-bit DLL", {{"DLLPath", image}}, true},
        {"Extended MAPI DLL only", {{"DLLPathEx", image}}, true},
        {"one good DLL of two", {{"DLLPath", "C:\\nowhere\\client.dll"}, {"DLLPathEx", image}}, true},
        {"missing DLL", {{"DLLPath", "C:\\nowhere\\client.dll"}}, false},
        {"a folder", {{"DLLPath", "C:\\windows"}}, false},
        {"not a DLL", {{"DLLPath", notImage}}, false},
        {"32-bit DLL", {{"DLLPath", i386Path}, {"DLLPathEx", i386Path}}, false},
        {"expanded to a missing DLL", {{"DLLPath", "%SystemRoot%\\nowhere\\client.dll"}}, false, REG_EXPAND_SZ},
        {"too long", {{"DLLPath", "C:\\" + std::string(2000, 'x') + ".dll"}}, false},
        {"a DLLPath that is no text", {{"DLLPath", "1"}}, false, REG_DWORD},  // as text: a bare name
        {"no DLL named", {{nullptr, ""}}, false}, {"no key of its own", {}, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.registered);
        const PrefixChange client = defaultClient(HKEY_CURRENT_USER, "uxdmapi Probe Client", c.values, c.type);
        MailClientRegistration read;
        readMailClientRegistration(read);
        EXPECT_TRUE(read.perUser);
        EXPECT_EQ(mailClientAvailable(read), c.available);
        EXPECT_EQ(UXDInitialize(0), c.available ? UXD_SUCCESS : UXD_E_MAIL_UNAVAILABLE);
        EXPECT_EQ(rmCalls.inits, c.available ? 1 : 0) << "a refused start opens nothing";
        EXPECT_STREQ(UXDGetErrorText(nullptr), "") << "code 7 carries no text";
        UXDTerminate(), rmCalls = {};
    }
    EXPECT_EQ(UXDInitialize(0), UXD_SUCCESS) << "the machine's client once the user's is gone";
    DeleteFileA(notImage.c_str()), DeleteFileA(i386Path.c_str());
}

// A record's 8-byte words in hex bytes, those whose bit is set in `pointers` shown as "ptr".
std::string bytesOf(const void *record, size_t words, unsigned pointers) {
    std::string text;
    for (size_t i = 0; i < words * 8; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02x", static_cast<const unsigned char *>(record)[i]);
        text += pointers >> (i / 8) & 1 ? (i % 8 ? "" : " ptr") : byte;
    }
    return text.substr(1);
}

std::string repeated(const std::string &piece, size_t length) {
    std::string text;
    while (text.size() < length) text += piece;
    return text.substr(0, length);
}

// The texts of each language: the language tests. Here the layout, and texts longer than
// the buffers (pelmo0600.dll's), cut at 255 and 1020.
TEST_F(Module, HasTheHostsByteLayoutCutsLongTextsAndIsKeptPerLanguageButLanguageZero) {
    const struct { uint32_t language; std::string name, description; } cases[] = {
        {0x0409, "MAPI", "MAPI exports the report in the specified format as an e-mail attachment."
                         "  Note: for this format to work, you must have a mail client installed."},
        {0x0600, repeated("0123456789", 255), repeated("abcdefghij", 1020)}};
    ASSERT_EQ(UXDInitialize(0), UXD_SUCCESS);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "language 0x" << std::hex << c.language);
        const UXDDestinationCatalogue *catalogue = UXDGetExportDestinationsEx(c.language);
        ASSERT_TRUE(catalogue && catalogue->entries && catalogue->entries[0]) << "no entry";
        EXPECT_EQ(bytesOf(catalogue, 3, 0b10), "18 00 01 00 00 00 00 00 ptr 78 6d 61 70 69 00 00 00")
            << "expected size 24, count 1, zeros, entry array, \"xmapi\" zero padded";
        const UXDDestinationEntry *entry = catalogue->entries[0];
        EXPECT_EQ(bytesOf(entry, 4, 0b1010), "20 00 00 00 00 00 00 00 ptr 00 00 00 00 00 00 00 00 ptr")
            << "expected size 32, zeros, name, value 0, zeros, description";
        EXPECT_STREQ(entry->name, c.name.c_str());
        EXPECT_STREQ(entry->description, c.description.c_str());
    }
    // Kept per language, but made anew for language 0.
    rmCalls = {};
    UXDDestinationCatalogue *german = UXDGetExportDestinationsEx(0x0407);
    const int loads = rmCalls.loads;
    EXPECT_GT(loads, 0) << "the texts come through the resource manager";
    EXPECT_EQ(UXDGetExportDestinationsEx(0x0407), german) << "a repeated language: the same";
    EXPECT_EQ(rmCalls.loads, loads) << "a cached language costs no resource-manager call";
    UXDDestinationCatalogue *english = UXDGetExportDestinationsEx(0x0409);
    ASSERT_TRUE(german && english);
    EXPECT_NE(english, german) << "each language has its own";
    UXDDestinationCatalogue *first = UXDGetExportDestinationsEx(0), *second = UXDGetExportDestinationsEx(0);
    EXPECT_TRUE(first && second && first != second) << "language 0: a new catalogue every call";
}

// Each allocation fails in turn: the call reports it (a catalogue that cannot be built is
// null, never half made), closes what it opened, keeps nothing, and the next call succeeds.
TEST_F(Module, EachFailingAllocationFailsTheCallCleanly) {
    auto complete = [](const UXDDestinationCatalogue *c) {
        return c && c->entryCount == 1 && c->entries[0] && std::string(c->entries[0]->name) == "MAPI" &&
               std::string(c->entries[0]->description).compare(0, 5, "MAPI ") == 0;
    };
    auto initialize = [&](SweepRun &run) {
        SweepOutcome outcome;
        rmCalls = {};
        run.arm();
        outcome.code = UXDInitialize(0);
        run.disarm();
        outcome.expect(outcome.code == UXD_SUCCESS || rmCalls.terms == rmCalls.inits, "a session left open");
        outcome.expect(outcome.code != UXD_SUCCESS || std::string(module.defaultName) == "MAPI", "no default name");
        while (module.useCount > 0) UXDTerminate();
        outcome.expect(UXDInitialize(0) == UXD_SUCCESS, "a retry fails");
        UXDTerminate();
        return outcome;
    };
    EXPECT_EQ(sweepAllocations("UXDInitialize", {}, initialize), 0u);
    for (uint32_t language : {0x0407u, 0u}) {
        auto build = [&](SweepRun &run) {
            SweepOutcome outcome;
            outcome.expect(UXDInitialize(0) == UXD_SUCCESS, "cannot start the module");
            run.arm();
            const UXDDestinationCatalogue *catalogue = UXDGetExportDestinationsEx(language);
            run.disarm();
            outcome.code = catalogue ? UXD_SUCCESS : UXD_E_OUT_OF_MEMORY;  // null is its way of saying 2
            outcome.expect(!catalogue || complete(catalogue), "a catalogue with a text missing");
            outcome.expect(complete(UXDGetExportDestinationsEx(language)), "a retry gives no whole catalogue");
            UXDTerminate();
            catalogue::releaseAll();
            return outcome;
        };
        char path[32];
        std::snprintf(path, sizeof path, "catalogue of language 0x%04X", language);
        EXPECT_EQ(sweepAllocations(path, {}, build), 0u);
    }
}
