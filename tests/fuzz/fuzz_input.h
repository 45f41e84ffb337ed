// What every fuzz target needs: an invariant that aborts with its reason, so that a finding is
// a crash that says what broke, and a reader that takes values from the fuzz bytes in order.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace uxd_fuzz {

// `why` is a printf format; its arguments say what was expected and what came.
__attribute__((format(printf, 2, 3))) inline void check(bool ok, const char *why, ...) {
    if (ok) return;
    std::va_list args;
    va_start(args, why);
    std::fputs("fuzz invariant broken: ", stderr), std::vfprintf(stderr, why, args), std::fputc('\n', stderr);
    va_end(args);
    std::abort();
}

// Takes little-endian values from the front of the input; past its end every value is zero,
// so any input, however short, describes something.
class FuzzInput {
public:
    FuzzInput(const uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    template <class T>
    T take() {
        T value = 0;
        const std::string bytes = takeBytes(sizeof value);
        std::memcpy(&value, bytes.data(), bytes.size());  // little-endian hosts only, as the targets are
        return value;
    }

    std::string takeBytes(std::size_t count) {
        std::size_t n = count < size_ - at_ ? count : size_ - at_;
        std::string bytes(reinterpret_cast<const char *>(data_ + at_), n);
        at_ += n;
        return bytes;
    }

    std::string rest() { return takeBytes(size_ - at_); }

private:
    const uint8_t *data_;
    std::size_t size_, at_ = 0;
};

}  // namespace uxd_fuzz
