// Message patterns filled from untrusted resource text, and the bounded copy beside them.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "format_text.h"

using namespace uxd;

TEST(FormatText, FillsDirectivesInOrder) {
    const struct {
        const char *description, *pattern;
        std::initializer_list<const char *> arguments;
        const char *expected;
    } cases[] = {
        {"host message", "Error %u returned by function <%s>.", {"2", "MAPISendMail"},
         "Error 2 returned by function <MAPISendMail>."},
        {"each directive takes the next argument", "%s-%d-%u", {"a", "b", "c"}, "a-b-c"},
        {"percent pair", "100%% done", {}, "100% done"},
        {"percent pair takes no argument", "%%s %s", {"a"}, "%s a"},
        {"unknown directives copied", "%x and %q", {"a"}, "%x and %q"},
        {"lone trailing percent", "50%", {}, "50%"},
        {"missing argument is empty", "<%s><%s>", {"a"}, "<a><>"},
        {"null argument keeps its place", "<%s><%s>", {nullptr, "b"}, "<><b>"},
        {"argument text is not a pattern", "%s|%s", {"%s", "x"}, "%s|x"},
        {"extra arguments ignored", "%s", {"a", "b"}, "a"},
        {"null pattern", nullptr, {"a"}, ""},
        {"printf-only directives stay text", "%s%s%s%s%n%p", {"A"}, "A%n%p"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        char buffer[64];
        std::memset(buffer, 'Z', sizeof buffer);
        formatText(buffer, sizeof buffer, c.pattern, c.arguments);
        EXPECT_STREQ(buffer, c.expected);
    }
}

namespace {

constexpr std::size_t kGuarded = 16;

// Writes through a capacity smaller than the array, so a write past it shows in the guard.
template <typename Write>
std::string guardedWrite(std::size_t capacity, Write write) {
    char bytes[kGuarded];
    std::memset(bytes, 'Z', sizeof bytes);
    write(bytes, capacity);
    for (std::size_t i = capacity; i < kGuarded; ++i)
        if (bytes[i] != 'Z') ADD_FAILURE() << "byte " << i << " past capacity " << capacity << " written";
    if (capacity == 0) return std::string(bytes, kGuarded);
    std::size_t length = strnlen(bytes, capacity);
    if (length == capacity) ADD_FAILURE() << "not terminated within capacity " << capacity;
    return std::string(bytes, length);
}

}  // namespace

TEST(FormatText, CutsToCapacityAndTerminates) {
    const char *pattern = "Error %u returned by function <%s>.";
    const struct {
        const char *description;
        std::size_t capacity;
        const char *expected;
    } cases[] = {
        {"cut in the pattern text", 8, "Error 2"},
        {"cut just before an argument", 7, "Error "},
        {"capacity one", 1, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(guardedWrite(c.capacity,
                               [&](char *b, std::size_t n) { formatText(b, n, pattern, {"2", "MAPISendMail"}); }),
                  c.expected);
    }
    EXPECT_EQ(guardedWrite(5, [](char *b, std::size_t n) { formatText(b, n, "<%s>", {"abcdef"}); }), "<abc");
    EXPECT_EQ(guardedWrite(6, [](char *b, std::size_t n) { formatText(b, n, "<%s>", {"abc"}); }), "<abc>")
        << "an exact fit is not cut";
    EXPECT_EQ(guardedWrite(0, [](char *b, std::size_t n) { formatText(b, n, "abc", {}); }),
              std::string(kGuarded, 'Z'))
        << "capacity zero writes nothing";
}

TEST(CopyText, BoundedAndTerminated) {
    const struct {
        const char *description;
        std::size_t capacity;
        const char *source, *expected;
    } cases[] = {
        {"fits", 16, "hello", "hello"},
        {"exact fit", 6, "hello", "hello"},
        {"cut", 4, "hello", "hel"},
        {"capacity one", 1, "hello", ""},
        {"null source", 16, nullptr, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(guardedWrite(c.capacity, [&](char *b, std::size_t n) { copyText(b, n, c.source); }),
                  c.expected);
    }
    EXPECT_EQ(guardedWrite(0, [](char *b, std::size_t n) { copyText(b, n, "hello"); }),
              std::string(kGuarded, 'Z'))
        << "capacity zero writes nothing";
}
