// The two records through which a host tells the plug-in which files an export made: the
// export record (one UXDExportFile per file, named as given, for the attachment names) and
// the export request (where the files lie, as full paths, for sending).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "uxdmapi.h"

class ExportFiles {
public:
    // `files` as given on the command line; the records point into this object.
    ExportFiles(const std::vector<std::string> &files, uint32_t language);
    ExportFiles(const ExportFiles &) = delete;
    ExportFiles &operator=(const ExportFiles &) = delete;

    // structSize 64, the logon dialog allowed, one entry per file with hasFileName 1.
    const UXDExportRecord &record() const { return record_; }
    // The full paths, in the record's order.
    const UXDExportRequest &request() const { return request_; }

private:
    std::vector<std::string> given_, fullPaths_;
    std::vector<UXDExportFile> entries_;
    std::vector<const UXDExportFile *> entryPointers_;
    std::vector<const char *> pathPointers_;
    UXDExportRecord record_{};
    UXDExportRequest request_{};
};

// The first of `files` that is not an existing file (a folder is not one), or null.
const std::string *firstMissingFile(const std::vector<std::string> &files);

// The full path of a file, as GetFullPathNameA makes it; the path itself if that fails.
std::string fullPathOf(const std::string &path);
