// Every kind of mail setup on every Windows, and every way a host sends: the test mail system
// registered in full and for Simple MAPI only, Wine's own Native Mail Client (winemapi, which
// hands each mail to xdg-email: a fake one records its arguments), and no client at all; Vista,
// 7 and 10; names, a host's table, a saved block, and the Send Mail dialog's Check Names and
// Address, each then Send. Each cell is a process of its own (MAPI32.DLL reads the registration
// once per process) under a time limit, and ends with the one outcome its row expects.
// The table of outcomes is left in the bin folder as client_matrix.txt.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iomanip>
#include <regex>
#include <sstream>

#include "program_run.h"
#include "test_mail.h"
#include "test_paths.h"
#include "uxdmapi.h"

namespace {

// Wine's own client is the default once the test mail system is removed; "no client" then
// takes the default away too.
enum Kind { TestMailSystem, WineNative, NoClient };
const struct MailSetup { const char *name; TestMailRegistration registration; Kind kind; } kSetups[] = {
    {"test mail, full", TestMailRegistration::Full, TestMailSystem},
    {"test mail, Simple MAPI only", TestMailRegistration::SimpleOnly, TestMailSystem},
    {"Wine's Native Mail Client", TestMailRegistration::Removed, WineNative},
    {"no client", TestMailRegistration::Removed, NoClient}};

// What the fake xdg-email recorded: one line per call, its arguments in brackets.
struct XdgEmail {
    std::string log;  // the log file as Windows sees it
    XdgEmail() {
        char unixPath[MAX_PATH] = "";
        GetEnvironmentVariableA("UXD_XDG_EMAIL_LOG", unixPath, MAX_PATH);
        log = "Z:" + std::string(unixPath);
        for (char &c : log) c = c == '/' ? '\\' : c;
        DeleteFileA(log.c_str());
    }
    // The calls so far, waiting a little for one: winemapi starts xdg-email and does not wait.
    std::vector<std::string> calls(bool expectOne) const {
        std::vector<std::string> lines;
        for (int waited = 0; lines.empty() && waited <= (expectOne ? 5000 : 0); waited += 50) {
            if (waited) Sleep(50);
            std::ifstream in(log);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
        }
        DeleteFileA(log.c_str());
        return lines;
    }
};

const char *const kPaths[] = {"names", "table", "block", "check-names", "address"};

// What one cell must end with: its exit, the mail as the client saw it ("": none), the texts shown.
struct Expected { DWORD status; std::string delivered; std::vector<std::string> boxes; };

std::string mailTo(const std::string &to, const std::string &cc) {
    return "xdg-email [mailto:" + to + "?subject=Monthly%20report&cc=" + cc + "&bcc=&body=Attached.%20]";
}

Expected expectedOf(Kind kind, const std::string &windows, const std::string &path) {
    if (kind == NoClient) return {UXD_E_MAIL_UNAVAILABLE, "", {}};
    if (kind == TestMailSystem)
        return {0, describe({"Ann Archer <ann@example.com>", "Bob Carter <bob@example.com>", "Monthly report", "Attached. ",
                             {"a.txt", "b.txt"}}), {}};
    // winemapi drops the attachments and makes a mailto: address of each recipient's address,
    // else of a name as typed; a recipient with neither (the block's carry the full test mail
    // system's entry identifiers only) is left out. It has no address book: from Windows 7 on
    // the Address command tells why nothing opened (26: not supported), and the mail goes to
    // the To name typed before.
    if (path == "table") return {0, mailTo("ann@example.com", "bob@example.com"), {}};
    if (path == "block") return {0, mailTo("", ""), {}};
    if (path != "address") return {0, mailTo("Ann%20Archer", "Bob%20Carter"), {}};
    Expected noBook{0, mailTo("Ann%20Archer", ""), {}};
    if (windows != "vista") noBook.boxes = {"Error 26 returned by function <MAPIAddress>."};
    return noBook;
}

// The lines of the child's output that begin with "box: ", that beginning taken off.
std::vector<std::string> boxesShown(const std::string &out) {
    const std::regex box("(^|\n)box: ([^\r\n]*)");
    return {std::sregex_token_iterator(out.begin(), out.end(), box, 2), std::sregex_token_iterator()};
}

// The allocation sweeps of a test program, run against the client registered now: each
// program must pass and every sweep end with 0 unexpected.
void sweepAgainstThisClient(const char *program, const char *filter, std::ostringstream &table) {
    TestMail folder;
    ProgramRun run = runProgram(program, {std::string("--gtest_filter=") + filter, "--gtest_brief=1"}, folder.folder(), 600000);
    EXPECT_EQ(run.status, 0u) << program << "\n" << run.out;
    std::istringstream lines(run.out);
    size_t sweeps = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("sweep ", 0)) continue;
        ++sweeps;
        EXPECT_NE(line.find(", 0 unexpected"), std::string::npos) << program << ": " << line;
        table << program << ": " << line << "\n";
    }
    EXPECT_GT(sweeps, 0u) << program << " ran no sweep:\n" << run.out;
}

}  // namespace

TEST(ClientMatrix, EverySetupOnEveryWindowsDeliversOrFailsAtOnce) {
    const PrefixChange restored = undoing([] {  // whatever the setups did to the prefix
        EXPECT_EQ(registerTestMail(TestMailRegistration::Full), S_OK) << "the test mail system is not the default client again";
    });
    std::ostringstream table;
    table << std::fixed << std::setprecision(2) << "setup | Windows | path | exit | seconds | delivered | boxes\n";

    // The block a host stored after a send where the names resolved.
    TestMail saving;
    ProgramRun saved = runProgram("client_host.exe", {"save", saving.folder()}, saving.folder(), 60000);
    ASSERT_EQ(saved.status, 0u) << saved.out << saved.err;
    const std::string blockBytes = program_run::readAndDelete(saving.folder() + "options.bin");
    ASSERT_GT(blockBytes.size(), 74u);

    XdgEmail xdgEmail;
    for (const MailSetup &setup : kSetups) {
        ASSERT_EQ(registerTestMail(setup.registration), S_OK) << setup.name;
        if (setup.kind == NoClient) RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", nullptr);
        for (const char *windows : {"vista", "win7", "win10"}) {
            // The Windows version that the cells' programs are told, for this round of cells.
            const PrefixChange told[] = {wineSetting("client_host.exe", "", "Version", windows),
                                         wineSetting("uxdsend.exe", "", "Version", windows)};
            for (const std::string path : kPaths) {
                SCOPED_TRACE(std::string(setup.name) + ", " + windows + ", " + path);
                TestMail mail;
                mail.set("address", "pick", "Ann Archer:1,Bob Carter:2");
                writeFile(mail.folder() + "a.txt", "first part\r\n"), writeFile(mail.folder() + "b.txt", "second part\r\n");
                writeFile(mail.folder() + "options.bin", blockBytes);
                ProgramRun run = runProgram("client_host.exe", {path, mail.folder()}, mail.folder(), 30000);
                const Expected want = expectedOf(setup.kind, windows, path);
                const std::vector<SentMail> sent = mail.sent();
                std::string delivered = sent.empty() ? "" : describe(sent[0]) + (sent.size() > 1 ? " and more" : "");
                std::vector<std::string> launched = xdgEmail.calls(setup.kind == WineNative && want.status == 0);
                if (setup.kind == WineNative) delivered = launched.empty() ? "" : launched[0];
                std::vector<std::string> boxes = boxesShown(run.out);

                EXPECT_EQ(run.status, want.status) << run.out << run.err;
                EXPECT_EQ(delivered, want.delivered) << run.out << run.err;
                EXPECT_EQ(boxes, want.boxes) << run.out;
                EXPECT_LE(launched.size(), 1u);
                if (setup.kind == NoClient) {
                    EXPECT_LT(run.seconds, 10.0) << "no client is known at once";
                    EXPECT_NE(run.err.find("UXDInitialize failed with code 7"), std::string::npos) << run.err;
                }
                table << setup.name << " | " << windows << " | " << path << " | " << long(run.status) << " | "
                      << run.seconds << " | " << (delivered.empty() ? "-" : delivered) << " | ";
                for (const std::string &box : boxes) table << "\"" << box << "\" ";
                table << "\n";
            }
            // uxdsend check and uxdsend send, side by side: the same code.
            TestMail mail;
            writeFile(mail.folder() + "a.txt", "first part\r\n");
            ProgramRun check = runUxdsend({"check", "--name", "Ann Archer"}, mail.folder());
            ProgramRun send = runUxdsend({"send", "--to", "Ann Archer", "--subject", "Check", "a.txt"}, mail.folder());
            xdgEmail.calls(setup.kind == WineNative);
            EXPECT_EQ(check.status, send.status) << setup.name << ", " << windows << "\n" << check.out << send.err;
            table << setup.name << " | " << windows << " | uxdsend check / send | " << long(check.status) << " / "
                  << long(send.status) << " | | |\n";
        }
        if (setup.registration == TestMailRegistration::SimpleOnly) {  // Windows 7 for the first and the last, Vista for the other
            sweepAgainstThisClient("jobs_tests.exe", "Sweep.*", table);
            sweepAgainstThisClient("jobs_tests_vista.exe", "Sweep.*", table);
            sweepAgainstThisClient("dialog_tests.exe", "*EachFailingAllocation*", table);
        }
    }
    writeFile(binFile("client_matrix.txt"), table.str());
    std::printf("%s", table.str().c_str());
}
