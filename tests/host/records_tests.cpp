// The records uxdsend hands the plug-in, read at their byte offsets (not through the header's
// structs), and the saved-options file: what a host must get right for the plug-in to read them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "export_files.h"
#include "options_builder.h"
#include "options_file.h"

namespace {

template <class T>
T at(const void *base, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char *>(base) + offset, sizeof value);
    return value;
}

// A scratch folder of the test's own, emptied and removed at the end.
class Scratch : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "uxdsend-records-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::string &name : made) DeleteFileA((folder + name).c_str());
        RemoveDirectoryA(folder.c_str());
    }
    std::string file(const std::string &name, const std::string &content) {
        std::ofstream(folder + name, std::ios::binary) << content;
        made.push_back(name);
        return folder + name;
    }
    std::string folder;
    std::vector<std::string> made;
};

TEST(PointerOptions, AnsiRecordIsThePointerFormWithNullsForOptionsNotGiven) {
    MailTexts texts;
    texts.to = "ann; bob";
    texts.subject = "";
    texts.password = "pw";
    MAPIDestinationOptions record = ansiOptions(texts);
    EXPECT_EQ(at<uint16_t>(&record, 0), 70) << "structSize";
    EXPECT_EQ(at<uint16_t>(&record, 68), 0) << "flatSize 0: pointers, not offsets";
    EXPECT_EQ(at<uint16_t>(&record, 42), 0) << "no recipient table";
    EXPECT_EQ(at<const void *>(&record, 44), nullptr);
    EXPECT_EQ(at<const char *>(&record, 2), texts.to->c_str()) << "toNames";
    EXPECT_EQ(at<const char *>(&record, 26), texts.subject->c_str()) << "an empty subject is given";
    EXPECT_EQ(at<const char *>(&record, 60), texts.password->c_str()) << "password";
    for (size_t offset : {10, 18, 34, 52})
        EXPECT_EQ(at<const char *>(&record, offset), nullptr) << "option not given, at " << offset;
}

TEST(PointerOptions, WideRecordCarriesTheTextsInUtf16) {
    MailTexts texts;
    texts.to = "ann";
    texts.message = "line one\r\nline two";
    std::string error;
    WideMailTexts wide;
    ASSERT_TRUE(widen(texts, wide, error)) << error;
    MAPIDestinationOptionsW record = wideOptions(wide);
    EXPECT_EQ(at<uint16_t>(&record, 0), 70);
    EXPECT_EQ(at<uint16_t>(&record, 68), 0);
    ASSERT_NE(at<const wchar_t *>(&record, 2), nullptr);
    EXPECT_STREQ(at<const wchar_t *>(&record, 2), L"ann");
    EXPECT_STREQ(at<const wchar_t *>(&record, 34), L"line one\r\nline two");
    EXPECT_EQ(at<const wchar_t *>(&record, 10), nullptr) << "ccNames not given";
}

TEST(PointerOptions, WideningReadsTheAnsiCodePage) {
    char ansi[8] = "";
    BOOL lost = FALSE;  // U+00E4 in this machine's ANSI code page, if it has it
    int length = WideCharToMultiByte(CP_ACP, 0, L"\u00E4", 1, ansi, sizeof ansi - 1, nullptr, &lost);
    if (length <= 0 || lost) GTEST_SKIP() << "the ANSI code page has no a-umlaut";
    MailTexts texts;
    texts.subject = std::string("M") + std::string(ansi, length) + "rz";
    WideMailTexts wide;
    std::string error;
    ASSERT_TRUE(widen(texts, wide, error)) << error;
    EXPECT_EQ(wide.subject, std::wstring(L"M\u00E4rz"));
}

TEST_F(Scratch, ExportRecordListsEachFileAsGivenAndTheRequestItsFullPath) {
    std::vector<std::string> given = {"report.pdf", folder + "data.csv"};
    ExportFiles files(given, 0x0407);
    const UXDExportRecord *record = &files.record();
    EXPECT_EQ(at<uint16_t>(record, 0), 64) << "structSize: logon UI and language are read";
    EXPECT_EQ(at<uint16_t>(record, 16), 2) << "fileCount";
    EXPECT_EQ(at<uint32_t>(record, 56), 1u) << "allowLogonUI";
    EXPECT_EQ(at<uint32_t>(record, 60), 0x0407u) << "language";
    auto entries = at<const void *const *>(record, 24);
    ASSERT_NE(entries, nullptr);
    for (size_t i = 0; i < given.size(); ++i) {
        ASSERT_NE(entries[i], nullptr);
        EXPECT_EQ(at<uint32_t>(entries[i], 4), 1u) << "hasFileName";
        EXPECT_STREQ(at<const char *>(entries[i], 8), given[i].c_str()) << "fileName as given";
        EXPECT_EQ(at<const char *>(entries[i], 48), nullptr) << "no pattern";
    }
    const UXDExportRequest *request = &files.request();
    EXPECT_EQ(at<uint16_t>(request, 2), 2) << "fileCount";
    auto paths = at<const char *const *>(request, 8);
    ASSERT_NE(paths, nullptr);
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    std::string expected = current;
    if (expected.back() != '\\') expected += '\\';
    EXPECT_STREQ(paths[0], (expected + "report.pdf").c_str()) << "a relative name becomes a full path";
    EXPECT_STREQ(paths[1], (folder + "data.csv").c_str());
}

TEST_F(Scratch, MissingFilesAndFoldersAreFound) {
    std::string present = file("present.txt", "x");
    std::vector<std::string> files = {present, folder + "absent.txt"};
    ASSERT_NE(firstMissingFile(files), nullptr);
    EXPECT_EQ(*firstMissingFile(files), folder + "absent.txt");
    EXPECT_EQ(firstMissingFile({present}), nullptr);
    std::vector<std::string> aFolder = {folder};
    EXPECT_NE(firstMissingFile(aFolder), nullptr) << "a folder is no file to attach";
}

// A block with the encoded header: structSize 70 and flatSize = its length.
std::string blockOf(size_t length, uint16_t structSize = 70) {
    std::string block(length, '\0');
    uint16_t flatSize = static_cast<uint16_t>(length);
    std::memcpy(&block[0], &structSize, 2);
    std::memcpy(&block[68], &flatSize, 2);
    return block;
}

TEST_F(Scratch, OptionsFileKeepsTheBlockByteForByte) {
    std::string block = blockOf(90);
    block[80] = 'x';
    std::string error;
    ASSERT_EQ(writeOptionsFile(folder + "saved.opt", block.data(), uint16_t(block.size()), error), 0) << error;
    made.push_back("saved.opt");
    std::vector<unsigned char> read;
    ASSERT_EQ(readOptionsFile(folder + "saved.opt", read, error), 0) << error;
    EXPECT_EQ(std::string(read.begin(), read.end()), block);
}

TEST_F(Scratch, OptionsFileThatCannotBeAFlatBlockIsRefused) {
    std::string truncated = blockOf(90).substr(0, 80);
    std::string zeroFlat = blockOf(90);
    zeroFlat[68] = zeroFlat[69] = 0;
    const std::pair<const char *, std::string> bad[] = {
        {"empty.opt", ""},
        {"short.opt", blockOf(60)},
        {"truncated.opt", truncated},
        {"zero-flat-size.opt", zeroFlat},
        {"old-layout.opt", blockOf(90, 60)},
        {"too-long.opt", blockOf(90) + "tail"},
    };
    for (const auto &item : bad) {
        std::string error;
        std::vector<unsigned char> read;
        EXPECT_EQ(readOptionsFile(file(item.first, item.second), read, error), UXD_E_INVALID_ARGUMENT) << item.first;
        EXPECT_NE(error.find(item.first), std::string::npos) << "names the file: " << error;
    }
    std::string error;
    std::vector<unsigned char> read;
    EXPECT_EQ(readOptionsFile(folder + "absent.opt", read, error), UXD_E_INVALID_ARGUMENT);
}

TEST_F(Scratch, OptionsFileThatCannotBeWrittenFailsAndLeavesNothing) {
    std::string block = blockOf(80), error;
    std::string path = folder + "no-such-folder\\saved.opt";
    EXPECT_EQ(writeOptionsFile(path, block.data(), uint16_t(block.size()), error), UXD_E_FAILURE);
    EXPECT_NE(error.find("saved.opt"), std::string::npos) << error;
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
