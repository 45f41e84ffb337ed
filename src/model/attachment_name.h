// The display name an attachment carries, made from the host's per-file record. Kept free
// of Windows so it runs under the sanitizers: it reads texts the host supplies.
#pragma once

#include <cstddef>

namespace uxd {

constexpr std::size_t kAttachmentNameSize = 260;  // 259 characters and a terminator

struct FileNaming {
    bool entryPresent;        // the record's files array has an entry at this index
    bool hasFileName;
    const char *fileName;     // may be null
    const char *fileNamePattern;  // may be null
};

// Answers whether a byte starts a double-byte character in the ANSI code page.
using LeadByteTest = bool (*)(unsigned char);

// Writes the name: the file name without drive and directory; or the pattern's, with a
// wildcard base name read as "untitled" and a wildcard extension as ".txt"; or
// "untitled.txt" when there is neither. A name longer than 259 characters is cut, the base
// name first, so the extension (the file's type) survives; a double-byte character is never
// split.
void makeAttachmentNameText(const FileNaming &naming, char (&name)[kAttachmentNameSize],
                            LeadByteTest isLeadByte = nullptr) noexcept;

}  // namespace uxd
