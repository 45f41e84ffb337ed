// The test mail system as the module meets it: through the platform's MAPI32.DLL, which
// routes to uxdtestmail.dll because the Wine session registered it as the mail client. The
// module's own tests exercise logon, resolution and the address book through it; what they
// do not read is the mail it writes, checked here byte for byte.
#include <gtest/gtest.h>
#include <windows.h>
#include <mapi.h>

#include <fstream>
#include <iterator>
#include <string>

#include "test_mail.h"

namespace {
std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string decodeBase64(const std::string &text) {
    static const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned long bits = 0;
    int count = 0;
    for (char c : text) {
        std::size_t value = digits.find(c);
        if (value == std::string::npos) continue;  // line breaks and padding
        bits = (bits << 6) | value;
        if ((count += 6) >= 8) bytes += static_cast<char>((bits >> (count -= 8)) & 0xFF);
    }
    return bytes;
}

// The decoded body of the attachment part with this file name.
std::string attachment(const std::string &eml, const std::string &name) {
    std::size_t part = eml.find("filename=\"" + name + "\"");
    if (part == std::string::npos) return "(no part for " + name + ")";
    std::size_t body = eml.find("\r\n\r\n", part) + 4;
    return decodeBase64(eml.substr(body, eml.find("\r\n--", body) - body));
}
}  // namespace

TEST(TestMailSystem, SendMailWritesTheMessageWithItsAttachments) {
    ASSERT_NE(LoadLibraryA("MAPI32.DLL"), nullptr);
    TestMail mail;
    ASSERT_TRUE(mail.available()) << "MAPI32.DLL did not load the registered test mail system";
    std::string binary;
    for (int i = 0; i < 1000; ++i) binary += static_cast<char>(i * 7);
    std::string paths[] = {mail.folder() + "q3.pdf", mail.folder() + "notes.txt"};
    std::ofstream(paths[0], std::ios::binary) << binary;
    std::ofstream(paths[1], std::ios::binary) << "line one\r\nline two";
    MapiFileDesc files[2] = {{0, 0, 0, &paths[0][0], nullptr, nullptr},
                             {0, 0, ULONG(-1), &paths[1][0], const_cast<char *>("Notes.txt"), nullptr}};
    MapiRecipDesc recips[] = {
        {0, MAPI_TO, const_cast<char *>("Ann Archer"), const_cast<char *>("SMTP:ann@example.com"), 0, nullptr},
        {0, MAPI_CC, const_cast<char *>("Bob Carter"), const_cast<char *>("SMTP:bob@example.com"), 0, nullptr}};
    MapiMessage message{0, const_cast<char *>("Q3"), const_cast<char *>("Hello "), nullptr, nullptr, nullptr, 0,
                        nullptr, 2, recips, 2, files};
    auto send = reinterpret_cast<LPMAPISENDMAIL>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("MAPI32.DLL"), "MAPISendMail")));
    ASSERT_EQ(send(0, 0, &message, 0, 0), 0u);

    ASSERT_EQ(mail.outboxFiles().size(), 1u);
    std::string eml = readFile(mail.outboxFiles()[0]);
    EXPECT_NE(eml.find("From: uxdmapi Test Mail <testmail@localhost>\r\n"), std::string::npos);
    EXPECT_NE(eml.find("To: Ann Archer <ann@example.com>\r\nCc: Bob Carter <bob@example.com>\r\nSubject: Q3\r\n"),
              std::string::npos) << eml.substr(0, 300);
    EXPECT_EQ(attachment(eml, "q3.pdf"), binary) << "a null file name is the path's";
    EXPECT_EQ(attachment(eml, "Notes.txt"), "line one\r\nline two");
    EXPECT_EQ(mail.calls("MAPISendMail").size(), 1u);

    DeleteFileA(paths[1].c_str());
    EXPECT_EQ(send(0, 0, &message, 0, 0), static_cast<ULONG>(MAPI_E_ATTACHMENT_NOT_FOUND));
    EXPECT_EQ(mail.outboxFiles().size(), 1u) << "no mail without all its attachments";
    DeleteFileA(paths[0].c_str());
}
