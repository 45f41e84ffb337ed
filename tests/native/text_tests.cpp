// Texts the module makes in fixed buffers from untrusted input: message patterns filled from
// resource text, and attachment display names (directories dropped, wildcard patterns
// replaced, long names cut so the extension and every double-byte character survive).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "attachment_name.h"
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
        {"no room writes nothing", "<%s>", {"abc"}, 0, ""},
        {"null pattern", nullptr, {"abc"}, 64, ""},
        {"%d and %u take arguments too", "%d/%u", {"1", "2"}, 64, "1/2"},
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

TEST(FormatText, BoundedCopyKeepsCapacityMinusOneAndDecimalTextFitsEveryValue) {
    for (std::size_t capacity : {1, 4, 5, 6}) {
        char buffer[16];
        std::memset(buffer, 'Z', sizeof buffer);
        copyText(buffer, capacity, "abcd");
        EXPECT_EQ(std::string(buffer), std::string("abcd").substr(0, capacity - 1)) << capacity;
        EXPECT_EQ(std::string(buffer + capacity, sizeof buffer - capacity), std::string(sizeof buffer - capacity, 'Z'))
            << "written past capacity " << capacity;
    }
    const struct { uint32_t value; const char *expected; } cases[] = {
        {0, "0"}, {7, "7"}, {10, "10"}, {2147746063u, "2147746063"}, {4294967295u, "4294967295"}};
    for (const auto &c : cases) {
        char text[kDecimalTextSize];
        decimalText(c.value, text);
        EXPECT_STREQ(text, c.expected);
    }
}

namespace {

// Shift-JIS lead bytes: the trail byte may be 0x5C, the backslash.
bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

TEST(AttachmentName, ChoosesStripsAndCutsTheName) {
    const std::string longBase = std::string(300, 'x') + ".pdf", longest = std::string(255, 'y') + ".pdf",
                      tooLong = "y" + longest;
    std::string pairs;  // 150 double-byte characters: a plain cut at 255 would split one
    for (int i = 0; i < 150; ++i) pairs += "\x82\xA0";
    const std::string doubleByte = pairs + ".pdf";
    const struct { const char *what; FileNaming naming; LeadByteTest lead; std::string expected; } cases[] = {
        {"no entry for the file", {false, true, "a.doc", "b.pdf"}, nullptr, "untitled.txt"},
        {"drive and directories", {true, true, "C:\\reports/q3\\sales.pdf", nullptr}, nullptr, "sales.pdf"},
        {"file name wins over pattern", {true, true, "a.doc", "*.pdf"}, nullptr, "a.doc"},
        {"file name ignored without hasFileName", {true, false, "real.doc", "*.pdf"}, nullptr, "untitled.pdf"},
        {"plain pattern loses its directory", {true, false, nullptr, "C:\\out\\report.csv"}, nullptr, "report.csv"},
        {"question mark in the base", {true, false, nullptr, "rep?.pdf"}, nullptr, "untitled.pdf"},
        {"wildcard extension", {true, false, nullptr, "report.*"}, nullptr, "report.txt"},
        {"long base cut, extension kept", {true, true, longBase.c_str(), nullptr}, nullptr, std::string(255, 'x') + ".pdf"},
        {"260 characters lose one", {true, false, nullptr, tooLong.c_str()}, nullptr, longest},
        {"double-byte base cut between characters", {true, true, doubleByte.c_str(), nullptr}, shiftJisLead,
         pairs.substr(0, 254) + ".pdf"},
        {"trail byte 0x5C is no separator", {true, true, "C:\\docs\\\x95\x5C\x8E\xA6.pdf", nullptr}, shiftJisLead,
         "\x95\x5C\x8E\xA6.pdf"},
    };
    for (const auto &c : cases) {
        // A marked buffer: the name must end inside it, with nothing written past its end.
        char name[kAttachmentNameSize];
        std::memset(name, '\x7F', sizeof name);
        makeAttachmentNameText(c.naming, name, c.lead);
        const std::size_t length = strnlen(name, sizeof name);
        ASSERT_LT(length, sizeof name) << c.what << ": not terminated";
        EXPECT_EQ(std::string(name, length), c.expected) << c.what;
        for (std::size_t i = length + 1; i < sizeof name; ++i)
            ASSERT_EQ(name[i], '\x7F') << c.what << ": byte " << i << " past the terminator written";
    }
}

}  // namespace
