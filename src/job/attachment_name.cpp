#include "attachment_name.h"

#include <cstring>

namespace uxd {
namespace {

struct Part {
    const char *text;
    std::size_t length;
};

struct SplitName {
    Part base, extension;
};

// Drive ("C:") and directory (through the last \ or /) are dropped; the extension runs
// from the last dot after them, the dot included.
SplitName splitPath(const char *path) {
    const char *start = path;
    if (start[0] && start[1] == ':') start += 2;
    for (const char *p = start; *p; ++p)
        if (*p == '\\' || *p == '/') start = p + 1;
    const char *dot = std::strrchr(start, '.');
    std::size_t total = std::strlen(start);
    if (!dot) return {{start, total}, {start + total, 0}};
    return {{start, static_cast<std::size_t>(dot - start)},
            {dot, total - static_cast<std::size_t>(dot - start)}};
}

bool hasWildcard(Part part) {
    for (std::size_t i = 0; i < part.length; ++i)
        if (part.text[i] == '*' || part.text[i] == '?') return true;
    return false;
}

// The longest prefix of at most `limit` bytes that ends on a character boundary.
std::size_t fittingLength(Part part, std::size_t limit, LeadByteTest isLeadByte) {
    if (part.length <= limit) return part.length;
    if (!isLeadByte) return limit;
    std::size_t length = 0;
    while (length < part.length) {
        std::size_t next = length + (isLeadByte(static_cast<unsigned char>(part.text[length])) ? 2 : 1);
        if (next > limit) break;
        length = next;
    }
    return length;
}

void join(Part base, Part extension, char (&name)[kAttachmentNameSize], LeadByteTest isLeadByte) {
    const std::size_t room = kAttachmentNameSize - 1;
    extension.length = fittingLength(extension, room, isLeadByte);
    base.length = fittingLength(base, room - extension.length, isLeadByte);
    std::memcpy(name, base.text, base.length);
    std::memcpy(name + base.length, extension.text, extension.length);
    name[base.length + extension.length] = '\0';
}

const Part kUntitled = {"untitled", 8};
const Part kTxt = {".txt", 4};

}  // namespace

void makeAttachmentNameText(const FileNaming &naming, char (&name)[kAttachmentNameSize],
                            LeadByteTest isLeadByte) noexcept {
    if (naming.entryPresent && naming.hasFileName) {
        if (!naming.fileName) {
            name[0] = '\0';
            return;
        }
        SplitName split = splitPath(naming.fileName);
        join(split.base, split.extension, name, isLeadByte);
        return;
    }
    if (!naming.entryPresent || !naming.fileNamePattern) {
        join(kUntitled, kTxt, name, isLeadByte);
        return;
    }
    SplitName split = splitPath(naming.fileNamePattern);
    join(hasWildcard(split.base) ? kUntitled : split.base,
         hasWildcard(split.extension) ? kTxt : split.extension, name, isLeadByte);
}

}  // namespace uxd
