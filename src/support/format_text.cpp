#include "format_text.h"

#include <cstring>

namespace uxd {

void formatText(char *buffer, std::size_t capacity, const char *pattern,
                std::initializer_list<const char *> arguments) noexcept {
    if (!buffer || capacity == 0) return;
    std::size_t length = 0;
    auto put = [&](char c) {
        if (length + 1 < capacity) buffer[length++] = c;
    };
    const char *const *next = arguments.begin();
    for (const char *p = pattern ? pattern : ""; *p; ++p) {
        if (p[0] != '%' || !p[1]) {
            put(*p);
            continue;
        }
        char directive = *++p;
        if (directive == 's' || directive == 'u' || directive == 'd') {
            const char *argument = next != arguments.end() ? *next++ : nullptr;
            for (const char *a = argument ? argument : ""; *a; ++a) put(*a);
        } else {
            if (directive != '%') put('%');
            put(directive);
        }
    }
    buffer[length] = '\0';
}

void decimalText(uint32_t value, char (&text)[kDecimalTextSize]) noexcept {
    char reversed[kDecimalTextSize];
    std::size_t count = 0;
    do reversed[count++] = static_cast<char>('0' + value % 10);
    while ((value /= 10) != 0);
    for (std::size_t i = 0; i < count; ++i) text[i] = reversed[count - 1 - i];
    text[count] = '\0';
}

void copyText(char *buffer, std::size_t capacity, const char *source) noexcept {
    if (!buffer || capacity == 0) return;
    std::size_t length = source ? std::strlen(source) : 0;
    if (length > capacity - 1) length = capacity - 1;
    if (length) std::memcpy(buffer, source, length);
    buffer[length] = '\0';
}

}  // namespace uxd
