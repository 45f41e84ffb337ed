// Message patterns from untrusted resource text, filled into a fixed buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "format_text.h"

using namespace uxd;

TEST(FormatText, FillsDirectivesInOrderAndCutsToCapacity) {
    const char *host = "Error %u returned by function <%s>.";
    using Args = std::initializer_list<const char *>;
    const struct { const char *what, *pattern; Args arguments; std::size_t capacity; const char *expected; } cases[] = {
        {"host message", host, {"2", "MAPISendMail"}, 64, "Error 2 returned by function <MAPISendMail>."},
        {"percent pair takes no argument", "100%% %s", {"a"}, 64, "100% a"},
        {"unknown or printf-only directive and lone percent copied", "%x%q%n%p 50%", {"a"}, 64, "%x%q%n%p 50%"},
        {"missing argument is empty", "<%s><%s>", {"a"}, 64, "<a><>"},
        {"argument text is not a pattern", "%s|%s", {"%s", "x"}, 64, "%s|x"},
        {"cut inside an argument", "<%s>", {"abcdef"}, 5, "<abc"},
        {"exact fit is not cut", "<%s>", {"abc"}, 6, "<abc>"},
    };
    for (const auto &c : cases) {
        // Written through a capacity smaller than the buffer, so a write past it shows.
        char buffer[80];
        std::memset(buffer, 'Z', sizeof buffer);
        formatText(buffer, c.capacity, c.pattern, c.arguments);
        const std::size_t length = c.capacity ? strnlen(buffer, c.capacity) : 0;
        EXPECT_LT(length, std::max<std::size_t>(c.capacity, 1)) << c.what << ": not terminated";
        EXPECT_EQ(std::string(buffer, length), c.expected) << c.what;
        const std::size_t rest = sizeof buffer - c.capacity;
        EXPECT_EQ(std::string(buffer + c.capacity, rest), std::string(rest, 'Z'))
            << c.what << ": written past capacity " << c.capacity;
    }
}
