#include "recipient_text.h"

#include <cstring>

namespace uxd {

std::size_t trimTrailingBlanks(char *text) noexcept {
    std::size_t length = std::strlen(text);
    while (length && text[length - 1] == ' ') text[--length] = '\0';
    return length;
}

RecipientJoiner::RecipientJoiner(char *buffer, std::size_t capacity) noexcept
    : buffer_(buffer), capacity_(capacity) {
    if (buffer_ && capacity_) buffer_[0] = '\0';
    else complete_ = false;
}

bool RecipientJoiner::append(const char *name) noexcept {
    if (!name) return true;  // contributes nothing, not even a separator
    if (!complete_) return false;
    std::size_t separator = length_ ? 2 : 0;
    std::size_t nameLength = std::strlen(name);
    if (length_ + separator + nameLength + 1 > capacity_) {
        complete_ = false;
        return false;
    }
    std::memcpy(buffer_ + length_, "; ", separator);
    std::memcpy(buffer_ + length_ + separator, name, nameLength + 1);
    length_ += separator + nameLength;
    return true;
}

}  // namespace uxd
