// "0x" and upper-case hex digits, as uxdsend names MAPI results and machine types; written
// by hand, since a printf for this one format links MinGW's whole printf engine.
#pragma once

#include <cstdint>
#include <string>

inline std::string hexText(uint32_t value, int digits) {
    std::string text = "0x";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += "0123456789ABCDEF"[(value >> shift) & 0xF];
    return text;
}
