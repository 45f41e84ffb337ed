// `uxdsend check` on the setups that make mail fail, each made in the prefix for one run and
// put back afterwards, so the test programs after this one find the prefix as it was. What each
// run printed is left in the bin folder as check_SETUP.txt.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

#include "explanations.h"
#include "test_mail.h"
#include "test_paths.h"
#include "uxdmapi.h"
#include "program_run.h"

namespace {
using Words = std::vector<std::string>;

// The machine's default mail client, a client of the test's (the test's final run shows that
// the prefix is put back).
PrefixChange defaultClient(const ClientValues &values, DWORD nameType = REG_SZ) {
    return defaultClient(HKEY_LOCAL_MACHINE, "uxdmapi Check Client", values, REG_SZ, nameType);
}
PrefixChange clientDlls(const std::string &path, const std::string &ex) { return defaultClient({{"DLLPath", path}, {"DLLPathEx", ex}}); }

using MakeSetup = std::function<PrefixChange(TestMail &)>;

PrefixChange mailOff() { return WriteProfileStringA("Mail", "MAPI", "0"), undoing([] { WriteProfileStringA("Mail", "MAPI", "1"); }); }
PrefixChange simpleOnlyClient() { return defaultClient({{"DLLPath", binFile("uxdtestmail.dll")}}); }

// Wine's settings for uxdsend.exe: the Windows version it is told; how it loads MAPI32.DLL ("":
// not at all; "native": only a file of that name that the search finds).
PrefixChange vista() { return wineSetting("uxdsend.exe", "", "Version", "vista"); }
PrefixChange mapi32LoadOrder(const char *order) { return wineSetting("uxdsend.exe", "\\DllOverrides", "mapi32", order); }

// The test mail system's MAPILogon answers with these results, one per call.
MakeSetup logonAnswers(const char *results) { return [=](TestMail &mail) { mail.set("results", "MAPILogon", results); return nullptr; }; }

}  // namespace

TEST(Check, NamesWhatStandsInTheWayOfASilentSendAndExitsWithTheCodeItWouldMeet) {
    const std::string ann = "\"Ann Archer\"";
    // What the report `said`, each on a line of its own, and how many warnings and problems it has.
    const struct { const char *setup; MakeSetup make; Words arguments; DWORD status; Words said; size_t warnings, problems; } cases[] = {
        {"registered", nullptr, {"check", "--name", "Ann Archer"}, 0,
         {"ok       DLLPath: ", "ok       MAPI32.DLL: C:\\windows\\system32\\MAPI32.DLL", "ok       logon: ",
          "ok       name " + ann + ": resolved by the plug-in to " + ann, "a silent send can work"}, 0, 0},
        {"mail_off", [](TestMail &) { return mailOff(); }, {"check", "--name", "Ann Archer"}, UXD_E_MAIL_UNAVAILABLE,
         {"problem  WIN.INI: [Mail] MAPI is 0", "problem  name " + ann + ": UXDInitialize failed with code 7"}, 0, 2},
        // A send meets the code that check foresees.
        {"mail_off_send", [](TestMail &) { return mailOff(); }, {"send", "--to", "Ann Archer", "testmail.ini"}, UXD_E_MAIL_UNAVAILABLE, {}, 0, 0},
        // A \\?\ path is as full as a lettered one: the loader takes it as it is.
        {"missing_dll", [](TestMail &) { return clientDlls("\\\\?\\C:\\nowhere\\mapi.dll", "C:\\nowhere\\client.dll"); },
         {"check", "--name", "Ann Archer"}, UXD_E_MAIL_UNAVAILABLE,
         {"problem  DLLPath: \\\\?\\C:\\nowhere\\mapi.dll is missing", "problem  DLLPathEx: C:\\nowhere\\client.dll is missing",
          "problem  MAPI32.DLL: not loaded", "problem  name " + ann + ": UXDInitialize failed with code 7"}, 0, 4},
        {"32bit_dll", [](TestMail &mail) { return clientDlls(writeDll(mail.folder() + "i386.dll", IMAGE_FILE_MACHINE_I386),
                                                             writeDll(mail.folder() + "arm64.dll", 0xAA64)); },
         {"check"}, UXD_E_MAIL_UNAVAILABLE, {"i386.dll is 32-bit (i386): it cannot be loaded", "arm64.dll is 64-bit ARM: it cannot",
                                             "problem  MAPI32.DLL: not loaded"}, 0, 3},
        {"folder_dll", [](TestMail &mail) { return clientDlls(mail.outbox(), writeDll(mail.folder() + "arm.dll", 0x01C4)); },
         {"check"}, UXD_E_MAIL_UNAVAILABLE, {"outbox\\ is a folder, not a DLL", "arm.dll is machine 0x01C4: it cannot"}, 0, 3},
        {"no_dll", [](TestMail &) { return defaultClient({{nullptr, "Check Client"}}); }, {"check"}, UXD_E_MAIL_UNAVAILABLE,
         {"problem  DLLPath: not registered, nor DLLPathEx or MSIComponentID"}, 0, 2},
        {"keyless_client", [](TestMail &) { return defaultClient({}); }, {"check"}, UXD_E_MAIL_UNAVAILABLE,
         {"problem  mail client: \"uxdmapi Check Client\", named by HKLM\\Software\\Clients\\Mail, has no key of its own"}, 0, 2},
        {"default_not_text", [](TestMail &) { return defaultClient({}, REG_DWORD); }, {"check"}, UXD_E_MAIL_UNAVAILABLE,
         {"problem  mail client: Software\\Clients\\Mail names the default with a value that is not a text"}, 0, 2},
        // The installer finds the DLL, so MAPI32.DLL has a client whatever the DLL values say.
        {"installer_component", [](TestMail &mail) { return defaultClient({{"MSIComponentID", "{1D2A7E5D-A6B1-4CE4-9B62-54C61B19C34C}"},
             {"DLLPath", std::string(2000, 'x')}, {"DLLPathEx", mail.folder() + "testmail.ini"}}); }, {"check"}, 0,
         {"ok       MSIComponentID: {1D2A7E5D-A6B1-4CE4-9B62-54C61B19C34C}: the installer finds the client's DLL",
          "warning  DLLPath: not a text", "testmail.ini is not a DLL -- to do: reinstall"}, 2, 0},
        {"bare_names", [](TestMail &) { return clientDlls("uxdtestmail.dll", "uxdmapi-nowhere.dll"); }, {"check"}, 0,
         {"ok       DLLPath: uxdtestmail.dll: a bare name, found at " + binFile("uxdtestmail.dll"),
          "ok       DLLPathEx: uxdmapi-nowhere.dll: a bare name, left to the system's search (not found"}, 0, 0},
        {"mapi32_not_loaded", [](TestMail &) { return mapi32LoadOrder(""); }, {"check"}, UXD_E_MAIL_UNAVAILABLE,
         {"problem  MAPI32.DLL: cannot be loaded (system error 126)"}, 0, 1},
        // A MAPI32.DLL without a single entry point: a resource library under that name, beside a
        // copy of uxdsend, since Wine looks in the program's folder before its own.
        {"mapi32_without_mapi", [](TestMail &mail) {
             CopyFileA(binFile("uxdsend.exe").c_str(), (mail.folder() + "uxdsend.exe").c_str(), FALSE);
             CopyFileA(binFile("pelmo0600.dll").c_str(), (mail.folder() + "MAPI32.DLL").c_str(), FALSE);
             return mapi32LoadOrder("native");
         }, {"check"}, DWORD(UXD_E_FAILURE), {"problem  Simple MAPI: missing: MAPILogon, MAPILogoff, MAPISendMail",
                                              "ok       Extended MAPI: missing: MAPILogonEx, MAPIAllocateBuffer, MAPIFreeBuffer"}, 0, 1},
        // Simple MAPI only: names go through MAPIResolveName on every Windows.
        {"simple_only_windows7", [](TestMail &) { return simpleOnlyClient(); }, {"check", "--name", "Ann Archer"}, 0,
         {"ok       Windows: 6.1", "ok       DLLPathEx: not registered: names are resolved through Simple MAPI",
          "ok       name " + ann + ": resolved by the plug-in to " + ann}, 0, 0},
        {"simple_only_vista", [](TestMail &) { return undoing([version = vista(), client = simpleOnlyClient()] {}); },
         {"check", "--name", "Ann Archer"}, 0, {"ok       Windows: 6.0", "ok       DLLPathEx: not registered",
                                                "ok       name " + ann + ": resolved by the plug-in to " + ann}, 0, 0},
        {"refused_logon", [](TestMail &mail) { mail.set("logon", "password", "s3cret"); return nullptr; },
         {"check", "--password", "guess"}, DWORD(UXD_E_FAILURE),
         {"problem  logon: the default profile was refused without a window: MAPILogon returned 3 -- to do: the mail client refused the logon"}, 0, 1},
        // The code a send meets for a refused logon, by MAPILogon's result; the plug-in meets the same.
        {"logon_cancelled", logonAnswers("1"), {"check", "--name", "Ann Archer"}, DWORD(UXD_E_CANCELLED),
         {"MAPILogon returned 1 -- to do: log on with the mail client itself", "would fail with code 6 (cancelled by the user)",
          "problem  name " + ann + ": UXDInitExportDestination failed with code 6 (cancelled by the user) -- to do: see the"}, 0, 2},
        {"logon_disk_full", logonAnswers("4"), {"--plugin", "n\xF6where.dll", "check", "--name", "Ann Archer"},
         DWORD(UXD_E_DISK_FULL), {"would fail with code 3 (disk full)", "problem  name " + ann + ": cannot load n\xF6where.dll"}, 0, 2},
        {"logon_out_of_memory", logonAnswers("5"), {"check"}, DWORD(UXD_E_OUT_OF_MEMORY), {"would fail with code 2 (memory exhausted)"}, 0, 1},
        {"logon_not_supported", logonAnswers("26"), {"check"}, DWORD(UXD_E_NOT_SUPPORTED),
         {"MAPILogon returned 26 --", "would fail with code 1 (not supported by the mail system)"}, 0, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.setup);
        TestMail mail;
        ProgramRun run;
        {
            PrefixChange made = c.make ? c.make(mail) : nullptr;
            const std::string own = mail.folder() + "uxdsend.exe";  // a setup's copy, beside its MAPI32.DLL
            run = runProgram(GetFileAttributesA(own.c_str()) == INVALID_FILE_ATTRIBUTES ? "uxdsend.exe" : own.c_str(),
                             c.arguments, mail.folder());
        }
        writeFile(binFile(("check_" + std::string(c.setup) + ".txt").c_str()),
                  run.out + "exit status " + std::to_string(long(run.status)) + "\n");
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        for (const std::string &text : c.said)
            EXPECT_NE(run.out.find(text), std::string::npos) << "expected \"" << text << "\" in:\n" << run.out;
        size_t warnings = 0, problems = 0;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            const bool warning = !line.rfind("warning ", 0), problem = !line.rfind("problem ", 0);
            warnings += warning, problems += problem;
            EXPECT_TRUE(!(warning || problem) || line.find(" -- to do: ") != std::string::npos) << "no remedy in: " << line;
        }
        EXPECT_EQ(warnings, c.warnings) << run.out;
        EXPECT_EQ(problems, c.problems) << run.out;
        EXPECT_TRUE(mail.calls("MAPISendMail").empty()) << "check sends nothing";
    }
    EXPECT_EQ(runUxdsend({"check"}, TestMail().folder()).status, 0u) << "the prefix is as it was";
}

// The line uxdsend adds under a well-known failure: found by the code alone, or by the MAPI
// result that the plug-in's error text names in whatever language.
TEST(Explanations, WellKnownFailuresAreExplainedAndOthersLeftAlone) {
    const struct { int code; const char *text; const char *expected; } cases[] = {
        {UXD_E_FAILURE, "Fehler 2147747584 wurde von der Funktion <MAPIResolveName> zur\xFC" "ckgegeben.",
         "0x80040700: several address-book entries"},
        // Code page 932: no byte of a double-byte character is a digit.
        {UXD_E_FAILURE, "\x83G\x83\x89\x81[ 2147500037 \x82\xAA\x8A\xD6\x90\x94 <MAPIResolveName> \x82\xA9\x82\xE7",
         "0x80004005: the mail client's address book failed"},
        {UXD_E_FAILURE, "Error 2 returned by function <MAPILogon>.", "failed without saying why"},
        {UXD_E_MAIL_UNAVAILABLE, "", "mail is switched off in WIN.INI"},
        {UXD_E_MAIL_UNAVAILABLE, nullptr, "mail is switched off in WIN.INI"},
        {UXD_E_NOT_SUPPORTED, "", "does not do what was asked"},
        // A recipient's name is no function, whatever digits it holds.
        {UXD_E_FAILURE, "No match could be found for <Room 21>.", ""},
        {UXD_E_FAILURE, "Error 99 returned by function <MAPILogon>.", ""},     // not a well-known result
        {UXD_E_FAILURE, "Error 99999999999 returned by function <MAPILogon>.", ""},
        {UXD_E_FAILURE, "Error 2 returned by function <MAPIDetails>.", ""},  // none of the four the plug-in reports
        {UXD_E_CANCELLED, "", ""},
        {UXD_E_INVALID_ARGUMENT, "no such file: 14 <MAPISendMail>", ""},  // a number only counts in a -1 text
    };
    for (const auto &c : cases) {
        const std::string got = explainFailure(c.code, c.text);
        EXPECT_TRUE(*c.expected ? got.find(c.expected) != std::string::npos : got.empty())
            << "code " << c.code << ", text \"" << (c.text ? c.text : "(null)") << "\": expected \"" << c.expected
            << "\", got \"" << got << "\"";
    }
}
