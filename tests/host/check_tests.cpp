// `uxdsend check` on the setups that make mail fail, each made in the prefix for one run and
// put back afterwards, so the test programs after this one find the prefix as it was. What each
// run printed is left in the bin folder as check_SETUP.txt.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "explanations.h"
#include "test_mail.h"
#include "test_paths.h"
#include "uxdmapi.h"
#include "program_run.h"

namespace {
using Words = std::vector<std::string>;

// A change to the prefix lasts while a copy of it is held; the last copy runs its undo, which
// puts the prefix back as wine-session leaves it (the test's final run shows that it did).
using PrefixChange = std::shared_ptr<void>;
PrefixChange undoing(std::function<void()> undo) { return PrefixChange(nullptr, [undo](void *) { undo(); }); }

const char kMailKey[] = "Software\\Clients\\Mail", kCheckClient[] = "uxdmapi Check Client";

// A mail client of the test's made the default; the test mail system registers itself again after.
PrefixChange defaultClient(const std::string &dllPath, const char *dllPathEx) {
    const std::string key = std::string(kMailKey) + "\\" + kCheckClient;
    auto set = [](const std::string &at, const char *name, const std::string &text) {
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, at.c_str(), name, REG_SZ, text.c_str(), DWORD(text.size() + 1));
    };
    set(key, "DLLPath", dllPath);
    if (dllPathEx) set(key, "DLLPathEx", dllPathEx);
    set(kMailKey, nullptr, kCheckClient);
    return undoing([key] {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str()), RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
        EXPECT_EQ(registerTestMail(TestMailRegistration::Full), S_OK) << "the test mail system is not the default client again";
    });
}

// A file with a PE header for the i386: what a 32-bit mail client's DLL looks like from outside.
std::string write32BitDll(const std::string &folder) {
    std::string path = folder + "client32.dll", image(0x200, '\0');
    IMAGE_DOS_HEADER dos = {};
    dos.e_magic = IMAGE_DOS_SIGNATURE, dos.e_lfanew = 0x40;
    IMAGE_FILE_HEADER header = {};
    header.Machine = IMAGE_FILE_MACHINE_I386, header.Characteristics = IMAGE_FILE_DLL | IMAGE_FILE_32BIT_MACHINE;
    DWORD signature = IMAGE_NT_SIGNATURE;
    memcpy(&image[0], &dos, sizeof dos);
    memcpy(&image[0x40], &signature, sizeof signature);
    memcpy(&image[0x44], &header, sizeof header);
    std::ofstream(path, std::ios::binary) << image;
    return path;
}

using MakeSetup = std::function<PrefixChange(TestMail &)>;

PrefixChange vista() {
    reportWindows("uxdsend.exe", "vista");
    return undoing([] { reportWindows("uxdsend.exe", nullptr); });
}

PrefixChange simpleOnlyClient() { return defaultClient(binFile("uxdtestmail.dll"), nullptr); }

// The lines of the report that start with `verdict`.
Words linesOf(const std::string &out, const std::string &verdict) {
    Words lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (!line.rfind(verdict + " ", 0)) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(Check, NamesWhatStandsInTheWayOfASilentSendAndExitsWithTheCodeItWouldMeet) {
    const std::string ann = "\"Ann Archer\"";
    const struct {
        const char *setup;
        MakeSetup make;
        Words arguments;
        DWORD status;
        Words said;                   // in the report, each on a line of its own
        size_t warnings, problems;
    } cases[] = {
        {"registered", nullptr, {"check", "--name", "Ann Archer"}, 0,
         {"ok       DLLPath: ", "ok       MAPI32.DLL: C:\\windows\\system32\\MAPI32.DLL", "ok       logon: ",
          "ok       name " + ann + ": resolved by the plug-in to " + ann, "a silent send can work"}, 0, 0},
        {"mail_off", [](TestMail &) {
             WriteProfileStringA("Mail", "MAPI", "0");
             return undoing([] { WriteProfileStringA("Mail", "MAPI", "1"); });
         }, {"check", "--name", "Ann Archer"}, UXD_E_MAIL_UNAVAILABLE,
         {"problem  WIN.INI: [Mail] MAPI is 0", "problem  name " + ann + ": UXDInitialize failed with code 7"}, 0, 2},
        {"missing_dll", [](TestMail &) { return defaultClient("C:\\nowhere\\client.dll", "C:\\nowhere\\client.dll"); },
         {"check", "--name", "Ann Archer"}, UXD_E_MAIL_UNAVAILABLE,
         {"problem  DLLPath: C:\\nowhere\\client.dll is missing", "problem  MAPI32.DLL: not loaded",
          "problem  name " + ann + ": UXDInitialize failed with code 7"}, 0, 4},
        {"32bit_dll", [](TestMail &mail) { std::string dll = write32BitDll(mail.folder());
                                           return defaultClient(dll, dll.c_str()); },
         {"check"}, UXD_E_MAIL_UNAVAILABLE, {"is 32-bit (i386): it cannot be loaded", "problem  MAPI32.DLL: not loaded"}, 0, 3},
        // Simple MAPI only: names go through MAPIResolveName on every Windows.
        {"simple_only_windows7", [](TestMail &) { return simpleOnlyClient(); }, {"check", "--name", "Ann Archer"}, 0,
         {"ok       Windows: 6.1", "ok       DLLPathEx: not registered: names are resolved through Simple MAPI",
          "ok       name " + ann + ": resolved by the plug-in to " + ann}, 0, 0},
        {"simple_only_vista", [](TestMail &) {
             PrefixChange version = vista(), client = simpleOnlyClient();
             return undoing([version, client] {});
         }, {"check", "--name", "Ann Archer"}, 0, {"ok       Windows: 6.0", "ok       DLLPathEx: not registered",
                                                   "ok       name " + ann + ": resolved by the plug-in to " + ann}, 0, 0},
        {"refused_logon", [](TestMail &mail) { mail.set("logon", "password", "s3cret"); return nullptr; },
         {"check", "--password", "guess"}, DWORD(UXD_E_FAILURE),
         {"problem  logon: the default profile was refused without a window: MAPILogon returned 3 -- to do: the mail client refused the logon"}, 0, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.setup);
        TestMail mail;
        ProgramRun run;
        {
            PrefixChange made = c.make ? c.make(mail) : nullptr;
            run = runUxdsend(c.arguments, mail.folder());
        }
        std::ofstream(binFile(("check_" + std::string(c.setup) + ".txt").c_str()), std::ios::binary)
            << run.out << "exit status " << long(run.status) << "\n";
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        for (const std::string &text : c.said)
            EXPECT_NE(run.out.find(text), std::string::npos) << "expected \"" << text << "\" in:\n" << run.out;
        const Words warnings = linesOf(run.out, "warning"), problems = linesOf(run.out, "problem");
        EXPECT_EQ(warnings.size(), c.warnings) << run.out;
        EXPECT_EQ(problems.size(), c.problems) << run.out;
        for (const Words &flagged : {warnings, problems})
            for (const std::string &line : flagged)
                EXPECT_NE(line.find(" -- to do: "), std::string::npos) << "no remedy in: " << line;
        EXPECT_TRUE(mail.calls("MAPISendMail").empty()) << "check sends nothing";
    }
    TestMail after;
    EXPECT_EQ(runUxdsend({"check"}, after.folder()).status, 0u) << "the prefix is as it was";
}

// The line uxdsend adds under a well-known failure: found by the code alone, or by the MAPI
// result that the plug-in's error text names in whatever language.
TEST(Explanations, WellKnownFailuresAreExplainedAndOthersLeftAlone) {
    const struct { int code; const char *text; const char *expected; } cases[] = {
        {UXD_E_FAILURE, "Error 2147746063 returned by function <MAPIResolveName>.", "0x8004010F: no address-book entry"},
        {UXD_E_FAILURE, "Fehler 2147747584 wurde von der Funktion <MAPIResolveName> zur\xFC" "ckgegeben.",
         "0x80040700: several address-book entries"},
        // Code page 932: no byte of a double-byte character is a digit.
        {UXD_E_FAILURE, "\x83G\x83\x89\x81[ 2147500037 \x82\xAA\x8A\xD6\x90\x94 <MAPIResolveName> \x82\xA9\x82\xE7",
         "0x80004005: the mail client's address book failed"},
        {UXD_E_FAILURE, "Error 11 returned by function <MAPISendMail>.", "did not find an attached file"},
        {UXD_E_FAILURE, "Error 2 returned by function <MAPILogon>.", "failed without saying why"},
        {UXD_E_MAIL_UNAVAILABLE, "", "mail is switched off in WIN.INI"},
        {UXD_E_MAIL_UNAVAILABLE, nullptr, "mail is switched off in WIN.INI"},
        {UXD_E_NOT_SUPPORTED, "", "does not do what was asked"},
        // A recipient's name is no function, whatever digits it holds.
        {UXD_E_FAILURE, "No match could be found for <Room 21>.", ""},
        {UXD_E_FAILURE, "Error 99 returned by function <MAPILogon>.", ""},     // not a well-known result
        {UXD_E_FAILURE, "Error 99999999999 returned by function <MAPILogon>.", ""},
        {UXD_E_FAILURE, "Couldn't load <MAPI.DLL>.", ""},
        {UXD_E_CANCELLED, "", ""},
        {UXD_E_INVALID_ARGUMENT, "no such file: 14 <MAPISendMail>", ""},  // a number only counts in a -1 text
    };
    for (const auto &c : cases) {
        std::string got = explainFailure(c.code, c.text);
        if (!*c.expected) {
            EXPECT_EQ(got, "") << "code " << c.code << ", text \"" << (c.text ? c.text : "(null)") << "\"";
        } else {
            EXPECT_NE(got.find(c.expected), std::string::npos)
                << "code " << c.code << ", text \"" << (c.text ? c.text : "(null)") << "\": expected \"" << c.expected
                << "\" in \"" << got << "\"";
        }
    }
}
