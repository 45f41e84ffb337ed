// Reads the INI file of a test run; see config.h for what it holds.
#include "config.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace testmail {
namespace {

std::string environment(const char *name) {
    char value[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string fullPath(const std::string &path) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

// A trailing "; remark" is dropped, as the sample configurations use them.
std::string withoutRemark(const std::string &value) {
    std::size_t at = value.find(';');
    while (at != std::string::npos && at > 0 && value[at - 1] != ' ' && value[at - 1] != '\t')
        at = value.find(';', at + 1);
    return trim(at == std::string::npos ? value : value.substr(0, at));
}

std::string readValue(const std::string &file, const char *section, const char *key) {
    char value[4096];
    DWORD length = GetPrivateProfileStringA(section, key, "", value, sizeof value, file.c_str());
    return withoutRemark(std::string(value, length));
}

// The section's "key=value" lines, in file order, remarks and blank keys skipped.
std::vector<std::pair<std::string, std::string>> readSection(const std::string &file, const char *section) {
    std::vector<char> buffer(32768);
    DWORD length = 0;
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        length = GetPrivateProfileSectionA(section, buffer.data(), size, file.c_str());
        if (length + 2 < size || buffer.size() >= (1u << 24)) break;
        buffer.resize(buffer.size() * 2);
    }
    std::vector<std::pair<std::string, std::string>> lines;
    for (const char *line = buffer.data(); line < buffer.data() + length && *line; line += strlen(line) + 1) {
        std::string text = trim(line);
        std::size_t equals = text.find('=');
        if (text.empty() || text[0] == ';' || text[0] == '#' || equals == std::string::npos) continue;
        std::string key = trim(text.substr(0, equals));
        if (!key.empty()) lines.emplace_back(key, withoutRemark(text.substr(equals + 1)));
    }
    return lines;
}

Bytes defaultEntryId(unsigned long n) {
    return {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
            static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
}

void readBook(const std::string &file, Config &config) {
    std::vector<std::pair<unsigned long, BookEntry>> numbered;
    for (const auto &line : readSection(file, "addressbook")) {
        unsigned long n = 0;
        std::vector<std::string> fields = split(line.second, '|');
        if (!parseNumber(line.first, n) || fields.size() < 2) continue;
        BookEntry entry{trim(fields[0]), trim(fields[1]), defaultEntryId(n)};
        if (fields.size() > 2 && !trim(fields[2]).empty()) parseHex(trim(fields[2]), entry.entryId);
        numbered.emplace_back(n, entry);
    }
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (auto &item : numbered) config.book.push_back(item.second);
}

void readResults(const std::string &file, Config &config) {
    for (const auto &line : readSection(file, "results")) {
        std::vector<unsigned long> &list = config.results[line.first];
        for (const std::string &item : split(line.second, ',')) {
            unsigned long value = 0;
            if (parseNumber(item, value)) list.push_back(value);
        }
    }
    for (const auto &line : readSection(file, "resolve")) {
        unsigned long value = 0;
        if (parseNumber(line.second, value)) config.resolve[lower(line.first)] = value;
    }
}

Pick parsePick(const std::string &item) {
    Pick pick{trim(item)};
    std::size_t colon = pick.name.rfind(':');
    unsigned long recipClass = 0;
    if (colon != std::string::npos && parseNumber(pick.name.substr(colon + 1), recipClass)) {
        pick.recipClass = recipClass;
        pick.name = trim(pick.name.substr(0, colon));
    }
    return pick;
}

void readPicks(const std::string &file, Config &config) {
    std::string picks = readValue(file, "address", "pick");
    if (equalsNoCase(picks, "cancel")) config.pickCancel = true;
    else if (!picks.empty())
        for (const std::string &item : split(picks, ',')) config.picks.push_back(parsePick(item));
}

std::string defaultOutbox() {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    std::string folder = length > 0 && length < sizeof temp ? std::string(temp, length) : "C:\\";
    if (folder.back() != '\\') folder += '\\';
    return folder + "uxdtestmail-outbox";
}

}  // namespace

Config readConfig() {
    Config config;
    config.outboxPath = defaultOutbox();
    std::string file = environment("UXD_TESTMAIL_CONFIG");
    if (file.empty() || GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return config;
    file = fullPath(file);  // a bare name would be looked for in the Windows folder
    config.logPath = readValue(file, "files", "log");
    std::string outbox = readValue(file, "files", "outbox");
    if (!outbox.empty()) config.outboxPath = outbox;
    config.keepMail = !equalsNoCase(readValue(file, "files", "keep"), "no");
    readBook(file, config);
    readResults(file, config);
    readPicks(file, config);
    for (const std::string &function : split(readValue(file, "disturb", "in"), ','))
        config.disturbIn.push_back(trim(function));
    config.disturbDirectory = readValue(file, "disturb", "directory");
    config.disturbLocale = readValue(file, "disturb", "locale");
    config.logonPassword = readValue(file, "logon", "password");
    return config;
}

}  // namespace testmail
