#include "test_mail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>

#include "test_paths.h"

namespace {
void removeFolder(const std::string &folder) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string makeFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int made = 0;
    std::string folder = std::string(temp) + "uxdtest-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(++made) + "\\";
    removeFolder(folder);  // Wine reuses process ids: a folder a killed run left must not pass for ours
    std::error_code ignored;
    std::filesystem::create_directories(folder + "outbox", ignored);
    return folder;
}
}  // namespace

TestMail::TestMail() : folder_(makeFolder()), config_(folder_ + "testmail.ini") {
    module_ = GetModuleHandleA("uxdtestmail.dll");
    SetEnvironmentVariableA("UXD_TESTMAIL_CONFIG", config_.c_str());
    WritePrivateProfileStringA("files", "log", (folder_ + "testmail.log").c_str(), config_.c_str());
    WritePrivateProfileStringA("files", "outbox", (folder_ + "outbox").c_str(), config_.c_str());
    const char *book[] = {"Ann Archer|SMTP:ann@example.com|A1A2A3A4", "Anna Baker|SMTP:anna@example.com|B1B2B3B4",
                          "Bob Carter|SMTP:bob@example.com|C1C2C3C4", "No Address||D1D2"};
    for (int i = 0; i < 4; ++i)
        WritePrivateProfileStringA("addressbook", std::to_string(i + 1).c_str(), book[i], config_.c_str());
    reset();
}

TestMail::~TestMail() {
    SetEnvironmentVariableA("UXD_TESTMAIL_CONFIG", nullptr);
    reset();
    removeFolder(folder_);
}

void TestMail::set(const char *section, const char *key, const std::string &value) {
    WritePrivateProfileStringA(section, key, value.c_str(), config_.c_str());
    reset();
}

void TestMail::reset() const {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, config_.c_str());  // flush the cache
    if (!module_) return;
    auto resetProc = reinterpret_cast<void(WINAPI *)()>(GetProcAddress(module_, "TestMailReset"));
    if (resetProc) resetProc();
}

std::vector<std::string> TestMail::log() const {
    std::vector<std::string> lines;
    std::ifstream in(folder_ + "testmail.log");
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> TestMail::calls(const std::string &function) const {
    std::vector<std::string> matching;
    for (const std::string &line : log())
        if (line.compare(0, function.size() + 1, function + " ") == 0) matching.push_back(line);
    return matching;
}

long TestMail::counter(const char *name) const {
    auto count = reinterpret_cast<LONG(WINAPI *)()>(reinterpret_cast<void *>(GetProcAddress(module_, name)));
    return count ? count() : -1;
}

std::vector<std::string> TestMail::outboxFiles() const {
    std::vector<std::string> files;
    std::error_code ignored;
    for (const auto &entry : std::filesystem::directory_iterator(outbox(), ignored))
        if (entry.path().extension() == ".eml") files.push_back(entry.path().string());
    return files;
}

namespace {
std::string field(const std::string &head, const std::string &name) {
    std::smatch match;
    return std::regex_search(head, match, std::regex("\n" + name + ": ([^\r]*)")) ? match[1].str() : "";
}
}  // namespace

std::vector<SentMail> TestMail::sent() const {
    std::vector<std::string> files = outboxFiles();
    std::sort(files.begin(), files.end());  // message-0001.eml, ...
    std::vector<SentMail> mails;
    for (const std::string &path : files) {
        const std::string eml = readFile(path);
        std::string head = "\n" + eml.substr(0, eml.find("\r\n\r\n"));
        SentMail mail{field(head, "To"), field(head, "Cc"), field(head, "Subject"), "", {}};
        const std::string textStart = "8bit\r\n\r\n";
        std::size_t text = eml.find(textStart);
        if (text != std::string::npos) {
            text += textStart.size();
            mail.body = eml.substr(text, eml.find("\r\n--=_uxdtestmail_part", text) - text);
        }
        const std::regex name("attachment; filename=\"([^\"]*)\"");
        mail.attachments.assign(std::sregex_token_iterator(eml.begin(), eml.end(), name, 1), {});
        mails.push_back(mail);
    }
    return mails;
}

void TestMail::clearOutbox() const {
    for (const std::string &path : outboxFiles()) DeleteFileA(path.c_str());
}

std::string describe(const SentMail &mail) {
    std::string files;
    for (const std::string &file : mail.attachments) files += (files.empty() ? "" : ", ") + file;
    return "To: " + mail.to + " | Cc: " + mail.cc + " | Subject: " + mail.subject + " | text: \"" + mail.body +
           "\" | files: " + files;
}

PrefixChange wineSetting(const std::string &program, const std::string &key, const char *name, const char *value) {
    const std::string at = "Software\\Wine\\AppDefaults\\" + program + key;
    RegSetKeyValueA(HKEY_CURRENT_USER, at.c_str(), name, REG_SZ, value, DWORD(strlen(value) + 1));
    return undoing([at, name] { RegDeleteKeyValueA(HKEY_CURRENT_USER, at.c_str(), name); });
}

PrefixChange defaultClient(HKEY root, const char *name, const ClientValues &values, DWORD valueType, DWORD nameType) {
    const char *mail = "Software\\Clients\\Mail";
    const std::string key = std::string(mail) + "\\" + name;
    for (const auto &[value, text] : values)
        RegSetKeyValueA(root, key.c_str(), value, valueType, text.c_str(), DWORD(text.size() + 1));
    RegSetKeyValueA(root, mail, nullptr, nameType, name, DWORD(strlen(name) + 1));
    return undoing([root, mail, key] {
        RegDeleteTreeA(root, key.c_str()), RegDeleteKeyA(root, key.c_str()), RegDeleteKeyValueA(root, mail, nullptr);
        EXPECT_EQ(registerTestMail(TestMailRegistration::Full), S_OK) << "the test mail system is not the default client again";
    });
}

HRESULT registerTestMail(TestMailRegistration registration) {
    HMODULE testMail = LoadLibraryA(binFile("uxdtestmail.dll").c_str());
    auto entry = [&](const char *name) { return reinterpret_cast<void *>(GetProcAddress(testMail, name)); };
    HRESULT hr = E_FAIL;
    if (registration == TestMailRegistration::SimpleOnly) {
        if (auto install = reinterpret_cast<HRESULT(WINAPI *)(BOOL, LPCWSTR)>(entry("DllInstall")))
            hr = install(TRUE, L"simple");
    } else {
        const char *name = registration == TestMailRegistration::Full ? "DllRegisterServer" : "DllUnregisterServer";
        if (auto call = reinterpret_cast<HRESULT(WINAPI *)()>(entry(name))) hr = call();
    }
    FreeLibrary(testMail);
    return hr;
}
