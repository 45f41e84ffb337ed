// Describing the exported files to the plug-in; see export_files.h.
#include "export_files.h"

#include <windows.h>

ExportFiles::ExportFiles(const std::vector<std::string> &files, uint32_t language)
    : given_(files), entries_(files.size()) {
    for (std::size_t i = 0; i < given_.size(); ++i) {
        UXDExportFile &entry = entries_[i];
        entry.hasFileName = 1;
        entry.fileName = given_[i].c_str();  // the plug-in keeps only the file's name
        entryPointers_.push_back(&entry);
        fullPaths_.push_back(fullPathOf(given_[i]));
    }
    for (const std::string &path : fullPaths_) pathPointers_.push_back(path.c_str());

    record_.structSize = sizeof(UXDExportRecord);  // 64: allowLogonUI and language are read
    record_.fileCount = static_cast<uint16_t>(entries_.size());
    record_.files = entryPointers_.data();
    record_.allowLogonUI = 1;  // a mail client that needs a logon may ask for one
    record_.language = language;

    request_.fileCount = static_cast<uint16_t>(fullPaths_.size());
    request_.filePaths = pathPointers_.data();
}

const std::string *firstMissingFile(const std::vector<std::string> &files) {
    for (const std::string &file : files) {
        DWORD attributes = GetFileAttributesA(file.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return &file;
    }
    return nullptr;
}

std::string fullPathOf(const std::string &path) {
    DWORD length = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::string full(length, '\0');
    DWORD written = GetFullPathNameA(path.c_str(), length, &full[0], nullptr);
    if (written == 0 || written >= length) return path;
    full.resize(written);
    return full;
}
