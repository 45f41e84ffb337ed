// Writing messages into the outbox folder; see outbox.h.
#include "outbox.h"

#include <windows.h>

#include <cstdio>
#include <map>
#include <mutex>

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

// The number after the last one this process wrote into each folder: finding a free name
// then takes one try however many messages are kept. Numbers another writer took meanwhile
// are still skipped; a folder emptied meanwhile is numbered on from where it was.
std::mutex numbersLock;
std::map<std::string, unsigned> nextNumbers;

unsigned firstToTry(const std::string &folder) {
    std::lock_guard<std::mutex> hold(numbersLock);
    auto found = nextNumbers.find(folder);
    return found == nextNumbers.end() ? 1 : found->second;
}

void wrote(const std::string &folder, unsigned number) {
    std::lock_guard<std::mutex> hold(numbersLock);
    unsigned &next = nextNumbers[folder];
    if (number + 1 > next) next = number + 1;
}

}  // namespace

std::string writeToOutbox(const std::string &folder, const std::string &content) {
    makeFolder(folder);
    std::string base = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    for (unsigned number = firstToTry(base); number <= 99999; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "message-%04u.eml", number);
        std::string path = base + name;
        Outcome outcome = writeNew(path, content);
        if (outcome == Outcome::taken) continue;  // CREATE_NEW: safe against a writer beside us
        if (outcome == Outcome::written) return wrote(base, number), path;
        if (outcome == Outcome::notWritten) DeleteFileA(path.c_str());  // no half message
        return {};
    }
    return {};
}

}  // namespace testmail
