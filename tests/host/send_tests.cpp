// `uxdsend send` as a script runs it: uxdsend.exe started as its own process, mailing through
// the test mail system, judged by its exit status, its standard error and the message the
// test mail system wrote (or did not write).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>

#include "test_mail.h"
#include "test_paths.h"
#include "uxdmapi.h"

namespace {

struct Outcome {
    DWORD status = 0;
    std::string out, err;
};

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bytes of one base64 attachment body (lines up to the next boundary).
std::string decodeBase64(const std::string &text) {
    static const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned long group = 0;
    int bits = 0;
    for (char c : text) {
        std::size_t value = digits.find(c);
        if (value == std::string::npos) continue;  // line breaks and padding
        group = (group << 6) | value;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return bytes;
}

// What a test reads of a written message.
struct Message {
    std::string text;

    std::string header(const std::string &name) const {  // "" when absent
        std::size_t at = text.compare(0, name.size() + 2, name + ": ") == 0 ? 0 : text.find("\r\n" + name + ": ");
        if (at == std::string::npos) return "";
        if (at) at += 2;
        std::size_t start = at + name.size() + 2;
        return text.substr(start, text.find("\r\n", start) - start);
    }
    std::vector<std::string> attachmentNames() const {
        std::vector<std::string> names;
        const std::string key = "Content-Disposition: attachment; filename=\"";
        for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
            std::size_t start = at + key.size();
            names.push_back(text.substr(start, text.find('"', start) - start));
        }
        return names;
    }
    std::string attachment(const std::string &name) const {
        std::size_t at = text.find("filename=\"" + name + "\"\r\n\r\n");
        if (at == std::string::npos) return "<no attachment " + name + ">";
        std::size_t start = text.find("\r\n\r\n", at) + 4;
        return decodeBase64(text.substr(start, text.find("--", start) - start));
    }
    std::string note() const {
        std::size_t start = text.find("charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n");
        if (start == std::string::npos) return "<no note>";
        start = text.find("\r\n\r\n", start) + 4;
        return text.substr(start, text.find("\r\n--", start) - start);
    }
};

class Send : public testing::Test {
protected:
    void SetUp() override {
        mail = std::make_unique<TestMail>();
        folder = mail->folder();
        report = folder + "report.pdf";
        std::ofstream(report, std::ios::binary) << "%PDF-1.4\n% not really a report\n" << std::string(300, '\x9c');
        std::ofstream(folder + "data.csv", std::ios::binary) << "region,units\r\nNorth,1240\r\n";
    }

    // uxdsend.exe with these arguments, in the test mail folder; each argument is quoted.
    Outcome run(const std::vector<std::string> &arguments) {
        std::string command = "\"" + binFile("uxdsend.exe") + "\"";
        for (const std::string &argument : arguments) command += " \"" + argument + "\"";
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        std::string outPath = folder + "stdout.txt", errPath = folder + "stderr.txt";
        HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION process = {};
        Outcome result;
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                           &process)) {
            WaitForSingleObject(process.hProcess, 120000);
            GetExitCodeProcess(process.hProcess, &result.status);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        } else {
            ADD_FAILURE() << "cannot start " << command << " (" << GetLastError() << ")";
        }
        CloseHandle(out);
        CloseHandle(err);
        result.out = readFile(outPath);
        result.err = readFile(errPath);
        DeleteFileA(outPath.c_str());
        DeleteFileA(errPath.c_str());
        return result;
    }

    std::vector<Message> messages() const {
        std::vector<Message> list;
        std::vector<std::string> files = mail->outboxFiles();
        std::sort(files.begin(), files.end());
        for (const std::string &file : files) list.push_back(Message{readFile(file)});
        return list;
    }

    std::unique_ptr<TestMail> mail;
    std::string folder, report;
};

constexpr DWORD kFailure = static_cast<DWORD>(-1);

TEST_F(Send, MailsEveryFileUnderItsOwnNameToTheResolvedRecipients) {
    Outcome r = run({"send", "--to", "archer; bob", "--cc", "Anna Baker", "--bcc", "bob@example.com", "--subject",
                 "Sales, Q1", "--message", "The figures.", report, "data.csv"});
    ASSERT_EQ(r.status, 0u) << r.err;
    EXPECT_EQ(r.err, "");
    std::vector<Message> sent = messages();
    ASSERT_EQ(sent.size(), 1u) << "one message for the whole export";
    const Message &m = sent[0];
    EXPECT_EQ(m.header("To"), "Ann Archer <ann@example.com>, Bob Carter <bob@example.com>");
    EXPECT_EQ(m.header("Cc"), "Anna Baker <anna@example.com>");
    EXPECT_EQ(m.header("Subject"), "Sales, Q1");
    EXPECT_EQ(m.note(), "The figures. ") << "the module appends a blank where the attachments go";
    EXPECT_EQ(m.attachmentNames(), (std::vector<std::string>{"report.pdf", "data.csv"}))
        << "one attachment per file, in order, named without the folder";
    EXPECT_EQ(m.attachment("report.pdf"), readFile(report));
    EXPECT_EQ(m.attachment("data.csv"), readFile(folder + "data.csv"));

    std::vector<std::string> calls = mail->calls("MAPISendMail");
    ASSERT_EQ(calls.size(), 1u);
    std::string log;
    for (const std::string &line : mail->log()) log += line + "\n";
    EXPECT_NE(log.find("recip class=3 name=\"Bob Carter\""), std::string::npos) << "Bcc reaches the mail:\n" << log;
    EXPECT_NE(log.find("path=\"" + folder + "data.csv\""), std::string::npos)
        << "a relative FILE is sent by its full path:\n" << log;
}

TEST_F(Send, ProfileAndPasswordReachTheLogon) {
    Outcome r = run({"send", "--to", "archer", "--profile", "Work", "--password", "s3cret", report});
    ASSERT_EQ(r.status, 0u) << r.err;
    std::vector<std::string> logons = mail->calls("MAPILogon");
    ASSERT_FALSE(logons.empty());
    EXPECT_NE(logons[0].find("profile=\"Work\" password=\"s3cret\""), std::string::npos) << logons[0];
}

TEST_F(Send, AMissingFileStopsEverythingWithCode5) {
    Outcome r = run({"send", "--to", "archer", report, "missing.pdf"});
    EXPECT_EQ(r.status, static_cast<DWORD>(UXD_E_INVALID_ARGUMENT));
    EXPECT_NE(r.err.find("missing.pdf"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("code 5"), std::string::npos) << r.err;
    EXPECT_TRUE(mail->log().empty()) << "the mail system was not even asked to log on";
    EXPECT_TRUE(messages().empty());
}

TEST_F(Send, ANameThatMatchesNobodyFailsWithThePluginsText) {
    Outcome r = run({"send", "--to", "nobody at all", report});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_NE(r.err.find("UXDInitExportDestination"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("code -1"), std::string::npos) << r.err;
    // The Simple MAPI path names the recipient, the address book path the failed function.
    EXPECT_TRUE(r.err.find("<nobody at all>") != std::string::npos ||
                r.err.find("<MAPIResolveName>") != std::string::npos)
        << "the plug-in's own text: " << r.err;
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(mail->calls("MAPISendMail").empty());
}

TEST_F(Send, LangGivesThePluginsTextsInThatLanguage) {
    Outcome r = run({"send", "--lang", "0x0407", "--to", "nobody at all", report});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_NE(r.err.find("wurde"), std::string::npos) << "German text expected: " << r.err;
}

TEST_F(Send, SavedOptionsSendTheSameMailAgain) {
    std::string saved = folder + "q1.opt";
    Outcome first = run({"send", "--to", "archer", "--cc", "bob", "--subject", "Q1", "--message", "Again and again",
                     "--save-options", saved, report});
    ASSERT_EQ(first.status, 0u) << first.err;
    std::string block = readFile(saved);
    ASSERT_GE(block.size(), 74u);
    EXPECT_EQ(block[0] | block[1] << 8, 70) << "structSize of the encoded block";
    EXPECT_EQ(static_cast<size_t>(static_cast<unsigned char>(block[68]) | static_cast<unsigned char>(block[69]) << 8),
              block.size())
        << "flatSize is the whole file";

    Outcome second = run({"send", "--options", saved, "data.csv"});
    DeleteFileA(saved.c_str());
    ASSERT_EQ(second.status, 0u) << second.err;
    std::vector<Message> sent = messages();
    ASSERT_EQ(sent.size(), 2u);
    for (const char *field : {"To", "Cc", "Subject"}) EXPECT_EQ(sent[1].header(field), sent[0].header(field)) << field;
    EXPECT_EQ(sent[1].header("To"), "Ann Archer <ann@example.com>");
    EXPECT_EQ(sent[1].note(), sent[0].note());
    EXPECT_EQ(sent[1].attachmentNames(), std::vector<std::string>{"data.csv"});
}

TEST_F(Send, ADamagedOptionsFileIsRefusedBeforeAnythingIsSent) {
    std::string saved = folder + "q1.opt";
    ASSERT_EQ(run({"send", "--to", "archer", "--save-options", saved, report}).status, 0u);
    std::string block = readFile(saved);
    std::ofstream(saved, std::ios::binary | std::ios::trunc) << block.substr(0, block.size() - 3);
    std::size_t loggedBefore = mail->log().size();

    Outcome r = run({"send", "--options", saved, report});
    DeleteFileA(saved.c_str());
    EXPECT_EQ(r.status, static_cast<DWORD>(UXD_E_INVALID_ARGUMENT));
    EXPECT_NE(r.err.find("q1.opt"), std::string::npos) << r.err;
    EXPECT_EQ(mail->log().size(), loggedBefore) << "the mail system was not asked again";
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(Send, WideSendsTheSameMessageAsAnsi) {
    char ansi[8] = "";
    BOOL lost = FALSE;  // a non-ASCII letter, so that the code page conversions matter
    int length = WideCharToMultiByte(CP_ACP, 0, L"\u00E4", 1, ansi, sizeof ansi - 1, nullptr, &lost);
    std::string letter = length > 0 && !lost ? std::string(ansi, length) : "a";
    std::vector<std::string> texts = {"--to", "archer; bob", "--subject", "M" + letter + "rz", "--message",
                                      "Line one\r\nLine two " + letter, report};

    std::vector<std::string> wide = {"send", "--wide"}, plain = {"send"};
    wide.insert(wide.end(), texts.begin(), texts.end());
    plain.insert(plain.end(), texts.begin(), texts.end());
    Outcome viaWide = run(wide);
    ASSERT_EQ(viaWide.status, 0u) << viaWide.err;
    Outcome viaAnsi = run(plain);
    ASSERT_EQ(viaAnsi.status, 0u) << viaAnsi.err;
    std::vector<Message> sent = messages();
    ASSERT_EQ(sent.size(), 2u);
    for (const char *field : {"To", "Subject"}) EXPECT_EQ(sent[0].header(field), sent[1].header(field)) << field;
    EXPECT_EQ(sent[0].note(), sent[1].note());
    EXPECT_EQ(sent[0].header("To"), "Ann Archer <ann@example.com>, Bob Carter <bob@example.com>");
}

TEST_F(Send, UsageErrorsExit64AndTouchNoMail) {
    for (const std::vector<std::string> &arguments : std::vector<std::vector<std::string>>{
             {"send", "--to", "archer"}, {"send", "--dialog", "--to", "archer", "r.pdf"}, {"send", "--to"}, {"mail"}}) {
        Outcome r = run(arguments);
        EXPECT_EQ(r.status, 64u) << testing::PrintToString(arguments);
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(mail->log().empty());
}

TEST_F(Send, HelpNamesEveryExitStatusAndGivesAnExample) {
    Outcome r = run({"--help"});
    EXPECT_EQ(r.status, 0u);
    for (const char *status : {"\n  0 ", "\n  1 ", "\n  2 ", "\n  3 ", "\n  5 ", "\n  6 ", "\n  7 ", "\n  255 ", "\n  64 "})
        EXPECT_NE(r.out.find(status), std::string::npos) << "exit status" << status << "explained:\n" << r.out;
    EXPECT_NE(r.out.find("example:"), std::string::npos);
    EXPECT_EQ(run({"send", "--help"}).out, r.out);
}

}  // namespace
