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
// from the last dot after them, the dot included. Walks by character: in a double-byte
// code page the second byte of a character may be a backslash.
SplitName splitPath(const char *path, LeadByteTest isLeadByte) {
    const char *start = path;
    if (start[0] && start[1] == ':') start += 2;
    const char *dot = nullptr;
    const char *p = start;
    while (*p) {
        if (*p == '\\' || *p == '/') {
            start = p + 1;
            dot = nullptr;
        } else if (*p == '.') {
            dot = p;
        }
        p += (isLeadByte && isLeadByte(static_cast<unsigned char>(*p)) && p[1]) ? 2 : 1;
    }
    std::size_t total = static_cast<std::size_t>(p - start);
    if (!dot) return {{start, total}, {p, 0}};
    std::size_t baseLength = static_cast<std::size_t>(dot - start);
    return {{start, baseLength}, {dot, total - baseLength}};
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
        SplitName split = splitPath(naming.fileName, isLeadByte);
        join(split.base, split.extension, name, isLeadByte);
        return;
    }
    if (!naming.entryPresent || !naming.fileNamePattern) {
        join(kUntitled, kTxt, name, isLeadByte);
        return;
    }
    SplitName split = splitPath(naming.fileNamePattern, isLeadByte);
    join(hasWildcard(split.base) ? kUntitled : split.base,
         hasWildcard(split.extension) ? kTxt : split.extension, name, isLeadByte);
}

}  // namespace uxd
