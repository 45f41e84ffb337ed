// Recipient names as text: split at ";" with blanks trimmed, and joined with "; " into a
// fixed buffer. Free of Windows so it runs under the sanitizers: the texts come from hosts.
#pragma once

#include <cstddef>

namespace uxd {

// Cuts trailing blanks (0x20 only) in place; returns the remaining length.
std::size_t trimTrailingBlanks(char *text) noexcept;

// Splits `text` in place at ";" and hands each name, without its surrounding blanks, to
// `take`; empty pieces are skipped. Stops early, returning false, when `take` does.
template <class Take>
bool forEachRecipientName(char *text, Take &&take) {
    char *piece = text;
    while (piece && *piece) {
        char *separator = piece;
        while (*separator && *separator != ';') ++separator;
        char *next = *separator ? separator + 1 : nullptr;
        *separator = '\0';
        while (*piece == ' ') ++piece;
        trimTrailingBlanks(piece);
        if (*piece && !take(static_cast<const char *>(piece))) return false;
        piece = next;
    }
    return true;
}

// Joins names into buffer with "; " between them. A name that does not fit whole, with its
// separator, is left out together with every name after it: a cut name would later be
// resolved as somebody else. Returns false when names were left out.
class RecipientJoiner {
public:
    RecipientJoiner(char *buffer, std::size_t capacity) noexcept;
    bool append(const char *name) noexcept;
    bool complete() const noexcept { return complete_; }

private:
    char *buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
    bool complete_ = true;
};

}  // namespace uxd
