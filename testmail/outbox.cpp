// Writing messages into the outbox folder; see outbox.h.
#include "outbox.h"

#include <windows.h>

#include <cstdio>

#include "handle.h"

namespace testmail {
namespace {

// Makes the folder and any missing parents.
void makeFolder(const std::string &folder) {
    for (std::size_t at = folder.find_first_of("\\/", 3); at != std::string::npos;
         at = folder.find_first_of("\\/", at + 1))
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
}

bool writeAll(HANDLE file, const std::string &content) {
    DWORD written = 0;
    return content.size() <= MAXDWORD &&
           WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
           written == content.size();
}

enum class Outcome { written, taken, notCreated, notWritten };

Outcome writeNew(const std::string &path, const std::string &content) {
    Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.open()) return GetLastError() == ERROR_FILE_EXISTS ? Outcome::taken : Outcome::notCreated;
    return writeAll(file.get(), content) ? Outcome::written : Outcome::notWritten;
}

}  // namespace

std::string writeToOutbox(const std::string &folder, const std::string &content) {
    makeFolder(folder);
    std::string base = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    for (unsigned number = 1; number <= 99999; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "message-%04u.eml", number);
        std::string path = base + name;
        Outcome outcome = writeNew(path, content);
        if (outcome == Outcome::taken) continue;  // CREATE_NEW: safe against a writer beside us
        if (outcome == Outcome::written) return path;
        if (outcome == Outcome::notWritten) DeleteFileA(path.c_str());  // no half message
        return {};
    }
    return {};
}

}  // namespace testmail
