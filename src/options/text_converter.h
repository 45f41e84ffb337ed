// The text side of the options conversions: the two directions' traits and the converter
// that sizes and converts each string through the code page. Internal to the conversions,
// in its own header so that the record-walking code reads apart from the text work.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "allocation.h"
#include "codepage.h"
#include "flat_block.h"

namespace uxd {
namespace conversion {

struct WideToAnsi {
    using From = UXDWideChar;
    using To = char;
    using FromEntry = UXDRecipDescW;
    using ToEntry = UXDRecipDesc;
    static constexpr TextWidth kSourceWidth = TextWidth::Wide;
    // A pointer-form result string gets two bytes per character; a flat one gets one, and
    // the source's stringBytes (two per character) is kept as it is.
    static constexpr std::size_t kPointerRoomFactor = 2;
    static constexpr uint64_t kStringBytesFactor = 1;
    static int convert(const From *src, int units, To *dst, int limit) {
        return wideToAnsi(src, units, dst, limit);
    }
    static bool mayNeedMoreThanBase() { return !ansiIsSingleByte(); }
};

struct AnsiToWide {
    using From = char;
    using To = UXDWideChar;
    using FromEntry = UXDRecipDesc;
    using ToEntry = UXDRecipDescW;
    static constexpr TextWidth kSourceWidth = TextWidth::Ansi;
    static constexpr std::size_t kPointerRoomFactor = 1;  // one unit per source byte
    static constexpr uint64_t kStringBytesFactor = 2;
    static int convert(const From *src, int units, To *dst, int limit) {
        return ansiToWide(src, units, dst, limit);
    }
    static bool mayNeedMoreThanBase() { return false; }  // a byte never makes two units
};

// A source string: in a flat block (where a UTF-16 string may sit at an odd address, so it
// is copied before use) or the host's own pointer.
struct SourceText {
    const void *data = nullptr;  // null: not given
    std::size_t units = 0;       // with the terminator
    bool packed = false;
};

inline SourceText fromFlat(const FlatText &text, TextWidth width) {
    if (!text.bytes) return SourceText();
    return {text.bytes, text.byteLength / std::size_t(width), true};
}

inline SourceText fromPointer(const char *text) {
    if (!text) return SourceText();
    return {text, std::strlen(text) + 1, false};
}

inline SourceText fromPointer(const UXDWideChar *text) {
    if (!text) return SourceText();
    std::size_t length = 0;
    while (text[length]) ++length;
    return {text, length + 1, false};
}

template <class T>
inline bool reserve(T *&buffer, std::size_t &capacity, std::size_t count) {
    if (count <= capacity) return true;
    releaseSecret(buffer);  // scratch may have held the password
    buffer = static_cast<T *>(allocateZeroed(count, sizeof(T)));
    capacity = buffer ? count : 0;
    return buffer != nullptr;
}

// Converts strings of one direction. The room of a string is counted in result units and
// holds its terminator: the base room (one result unit per source unit; two bytes per
// character for a pointer-form ANSI result), or what the code page really needs when that
// is more (a double-byte code page can need two bytes for one UTF-16 unit).
template <class Dir>
class TextConverter {
public:
    using From = typename Dir::From;
    using To = typename Dir::To;

    TextConverter() = default;
    TextConverter(const TextConverter &) = delete;
    TextConverter &operator=(const TextConverter &) = delete;
    ~TextConverter() {
        releaseSecret(sourceScratch_);
        releaseSecret(resultScratch_);
    }

    UXDResult room(const SourceText &text, std::size_t base, std::size_t &units) {
        std::size_t content = text.units - 1;
        std::size_t needed = 1;
        if (content > INT_MAX) return UXD_E_INVALID_ARGUMENT;
        if (content != 0 && Dir::mayNeedMoreThanBase()) {  // else the base room is enough
            const From *src = nullptr;
            if (UXDResult r = source(text, src)) return r;
            int measured = Dir::convert(src, int(content), nullptr, 0);
            if (measured <= 0) return UXD_E_INVALID_ARGUMENT;
            needed = std::size_t(measured) + 1;
        }
        units = std::max(base, needed);
        return UXD_SUCCESS;
    }

    // Writes the text and its terminator into `units` result units at `dst`; a packed
    // destination (inside a flat block) may be unaligned.
    UXDResult convert(const SourceText &text, void *dst, std::size_t units, bool packedResult) {
        bool viaScratch = packedResult && !std::is_same<To, char>::value;
        To *out = static_cast<To *>(dst);
        if (viaScratch) {
            if (!reserve(resultScratch_, resultCapacity_, units)) return UXD_E_OUT_OF_MEMORY;
            out = resultScratch_;
        }
        std::size_t written = 0;
        std::size_t content = text.units - 1;
        if (content != 0) {
            const From *src = nullptr;
            if (UXDResult r = source(text, src)) return r;
            int limit = units - 1 > INT_MAX ? INT_MAX : int(units - 1);
            int converted = Dir::convert(src, int(content), out, limit);
            if (converted <= 0 || std::size_t(converted) >= units) return UXD_E_INVALID_ARGUMENT;
            written = std::size_t(converted);
        }
        out[written] = 0;
        if (viaScratch) std::memcpy(dst, out, (written + 1) * sizeof(To));
        return UXD_SUCCESS;
    }

private:
    // The source units in a form the code-page call may read.
    UXDResult source(const SourceText &text, const From *&units) {
        if (std::is_same<From, char>::value || !text.packed) {
            units = static_cast<const From *>(text.data);
            return UXD_SUCCESS;
        }
        std::size_t content = text.units - 1;
        if (!reserve(sourceScratch_, sourceCapacity_, content)) return UXD_E_OUT_OF_MEMORY;
        std::memcpy(sourceScratch_, text.data, content * sizeof(From));
        units = sourceScratch_;
        return UXD_SUCCESS;
    }

    From *sourceScratch_ = nullptr;
    std::size_t sourceCapacity_ = 0;
    To *resultScratch_ = nullptr;
    std::size_t resultCapacity_ = 0;
};

}  // namespace conversion
}  // namespace uxd
