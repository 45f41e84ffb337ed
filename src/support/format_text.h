// Fills a message pattern from the string table ("Error %u returned by function <%s>.")
// into a fixed buffer. The pattern comes from a resource library, so it is not trusted as a
// printf format: each %s, %u or %d takes the next argument, already as text, in order; "%%"
// is a percent sign; a missing argument is empty; the result is cut to capacity - 1 bytes
// and always terminated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace uxd {

void formatText(char *buffer, std::size_t capacity, const char *pattern,
                std::initializer_list<const char *> arguments) noexcept;

// The decimal digits of `value`, terminated: the message texts' numbers, made without the C
// run-time's printf engine (and its floating-point formatting) for one directive.
constexpr std::size_t kDecimalTextSize = 11;  // 4294967295 and a terminator
void decimalText(uint32_t value, char (&text)[kDecimalTextSize]) noexcept;

// Bounded copy: at most capacity - 1 bytes, always terminated; a null source is empty.
void copyText(char *buffer, std::size_t capacity, const char *source) noexcept;

}  // namespace uxd
