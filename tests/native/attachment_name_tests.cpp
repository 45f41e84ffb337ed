// Attachment display names: directories dropped, wildcard patterns replaced, long names cut
// so the extension and every double-byte character survive.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "attachment_name.h"

using namespace uxd;

namespace {

constexpr char kMarker = '\x7F';

// Runs the call in a marked buffer: the name must be terminated inside it and nothing may
// be written past the terminator.
std::string nameFor(const FileNaming &naming, LeadByteTest isLeadByte = nullptr) {
    char name[kAttachmentNameSize];
    std::memset(name, kMarker, sizeof name);
    makeAttachmentNameText(naming, name, isLeadByte);
    std::size_t length = strnlen(name, sizeof name);
    if (length == sizeof name) ADD_FAILURE() << "the name is not terminated within the buffer";
    for (std::size_t i = length + 1; i < sizeof name; ++i)
        if (name[i] != kMarker) ADD_FAILURE() << "byte " << i << " past the terminator was written";
    return std::string(name, length);
}

bool leadAbove80(unsigned char c) { return c >= 0x81; }

const struct {
    const char *description;
    FileNaming naming;
    const char *expected;
} kNameCases[] = {
    {"no entry for the file", {false, false, nullptr, nullptr}, "untitled.txt"},
    {"no entry ignores a name given anyway", {false, true, "a.doc", "b.pdf"}, "untitled.txt"},
    {"null file name is empty", {true, true, nullptr, nullptr}, ""},
    {"null file name does not fall back to the pattern", {true, true, nullptr, "b.pdf"}, ""},
    {"drive and backslash directories", {true, true, "C:\\reports\\q3\\sales.pdf", nullptr}, "sales.pdf"},
    {"slash directories", {true, true, "docs/2024/sales.pdf", nullptr}, "sales.pdf"},
    {"mixed separators", {true, true, "C:\\a/b\\c.txt", nullptr}, "c.txt"},
    {"drive without directory", {true, true, "C:sales.pdf", nullptr}, "sales.pdf"},
    {"dot in a directory is not an extension", {true, true, "dir/a.b/file", nullptr}, "file"},
    {"double extension kept whole", {true, true, "archive.tar.gz", nullptr}, "archive.tar.gz"},
    {"no extension", {true, true, "noext", nullptr}, "noext"},
    {"trailing dot", {true, true, "trailing.", nullptr}, "trailing."},
    {"file name wins over pattern", {true, true, "a.doc", "*.pdf"}, "a.doc"},
    {"null pattern", {true, false, nullptr, nullptr}, "untitled.txt"},
    {"plain pattern loses its directory", {true, false, nullptr, "C:\\out\\report.csv"}, "report.csv"},
    {"wildcard base", {true, false, nullptr, "*.pdf"}, "untitled.pdf"},
    {"question mark in base", {true, false, nullptr, "rep?.pdf"}, "untitled.pdf"},
    {"wildcard extension", {true, false, nullptr, "report.*"}, "report.txt"},
    {"question mark in extension", {true, false, nullptr, "report.p?f"}, "report.txt"},
    {"wildcards in both", {true, false, nullptr, "*.*"}, "untitled.txt"},
    {"wildcard base without extension", {true, false, nullptr, "*"}, "untitled"},
    {"wildcard only in the directory", {true, false, nullptr, "C:\\*\\report.pdf"}, "report.pdf"},
    {"file name ignored without hasFileName", {true, false, "real.doc", "*.pdf"}, "untitled.pdf"},
};

}  // namespace

TEST(AttachmentName, ChoosesAndStripsTheName) {
    for (const auto &c : kNameCases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(nameFor(c.naming), c.expected);
    }
}

TEST(AttachmentName, LongNamesKeepTheirExtension) {
    const std::string x300 = std::string(300, 'x');
    const struct {
        const char *description;
        std::string input, expected;
    } cases[] = {
        {"long base is cut", x300 + ".pdf", std::string(255, 'x') + ".pdf"},
        {"directory is dropped before measuring", "C:\\d\\" + std::string(255, 'y') + ".pdf",
         std::string(255, 'y') + ".pdf"},
        {"exactly 259 is unchanged", std::string(255, 'y') + ".pdf", std::string(255, 'y') + ".pdf"},
        {"260 loses one base character", std::string(256, 'y') + ".pdf", std::string(255, 'y') + ".pdf"},
        {"long name without extension", std::string(400, 'n'), std::string(259, 'n')},
        {"extension alone too long", "a." + x300, "." + std::string(258, 'x')},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(nameFor({true, true, c.input.c_str(), nullptr}), c.expected);
        EXPECT_EQ(nameFor({true, false, nullptr, c.input.c_str()}), c.expected) << "as a pattern";
    }
}

TEST(AttachmentName, CutsNeverSplitADoubleByteCharacter) {
    std::string pairs;
    for (int i = 0; i < 150; ++i) pairs += "\x82\xA0";
    const struct {
        const char *description;
        std::string input;
        std::size_t baseLength, extensionLength;
    } cases[] = {
        // A plain byte cut would stop at 255, leaving a lone lead byte.
        {"base of double-byte characters", pairs + ".pdf", 254, 4},
        {"odd offset fills the room exactly", "a" + pairs + ".pdf", 255, 4},
        // ".b" plus whole characters reaches 258; 259 would end on a lead byte. The one byte
        // left cannot hold the base's double-byte character.
        {"extension of double-byte characters", "\x82\xA0.b" + pairs, 0, 258},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.description);
        std::string name = nameFor({true, true, c.input.c_str(), nullptr}, leadAbove80);
        ASSERT_EQ(name.size(), c.baseLength + c.extensionLength);
        EXPECT_EQ(name.substr(0, c.baseLength), c.input.substr(0, c.baseLength)) << "base";
        EXPECT_EQ(name.substr(c.baseLength),
                  c.input.substr(c.input.rfind('.'), c.extensionLength)) << "extension";
        for (std::size_t i = 0; i < name.size(); ++i)
            if (leadAbove80(static_cast<unsigned char>(name[i]))) {
                ASSERT_LT(i + 1, name.size()) << "the name ends on a lone lead byte";
                ++i;
            }
    }
}

// In Shift-JIS the second byte of a character may be 0x5C, the backslash: it must not be
// taken for a directory separator.
bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

TEST(AttachmentName, TrailByteBackslashIsNotASeparator) {
    const char *name = "C:\\docs\\\x95\x5C\x8E\xA6.pdf";  // 表示.pdf
    EXPECT_EQ(nameFor({true, true, name, nullptr}, shiftJisLead), "\x95\x5C\x8E\xA6.pdf");
    EXPECT_EQ(nameFor({true, false, nullptr, "\\\\srv\\\x95\x5C*.csv"}, shiftJisLead), "untitled.csv");
}
