// The test mail system seen the way uxdmapi.dll sees it: through Wine's MAPI32.DLL, which
// routes to uxdtestmail.dll because wine-session registered it as the mail client.
#include <gtest/gtest.h>
#include <windows.h>
#include <mapi.h>
#include <mapix.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

HMODULE mapi32() {
    static HMODULE library = LoadLibraryA("MAPI32.DLL");
    return library;
}

template <class T>
T entry(HMODULE module, const char *name) {
    return reinterpret_cast<T>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

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

class TestMailSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(mapi32(), nullptr);
        provider = GetModuleHandleA("uxdtestmail.dll");
        ASSERT_NE(provider, nullptr) << "MAPI32.DLL did not load the registered test mail system";
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int made = 0;
        folder = std::string(temp) + "testmail-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++made) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        configure("");
    }
    void TearDown() override {
        SetEnvironmentVariableA("UXD_TESTMAIL_CONFIG", nullptr);
        for (const char *sub : {"outbox\\", ""}) {
            WIN32_FIND_DATAA found;
            HANDLE search = FindFirstFileA((folder + sub + "*").c_str(), &found);
            for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
                DeleteFileA((folder + sub + found.cFileName).c_str());
            if (search != INVALID_HANDLE_VALUE) FindClose(search);
            RemoveDirectoryA((folder + sub).c_str());
        }
    }

    void configure(const std::string &extra) {
        std::ofstream(folder + "testmail.ini")
            << "[files]\nlog=" << folder << "testmail.log\noutbox=" << folder << "outbox\n"
            << "[addressbook]\n1=Ann Archer|SMTP:ann@example.com|A1A2A3A4\n2=Bob Baker|SMTP:bob@example.com|\n"
            << extra;
        SetEnvironmentVariableA("UXD_TESTMAIL_CONFIG", (folder + "testmail.ini").c_str());
        entry<void(WINAPI *)()>(provider, "TestMailReset")();
    }
    long buffers() { return entry<LONG(WINAPI *)()>(provider, "TestMailOutstandingBuffers")(); }
    long objects() { return entry<LONG(WINAPI *)()>(provider, "TestMailOutstandingObjects")(); }
    std::string log() { return readFile(folder + "testmail.log"); }

    HMODULE provider = nullptr;
    std::string folder;
    LPMAPIFREEBUFFER freeBuffer = entry<LPMAPIFREEBUFFER>(mapi32(), "MAPIFreeBuffer");
};

TEST_F(TestMailSystem, LogonFollowsTheScriptThenHandsOutSessions) {
    configure("[results]\nMAPILogon=3,0\n");
    auto logon = entry<LPMAPILOGON>(mapi32(), "MAPILogon");
    auto logoff = entry<LPMAPILOGOFF>(mapi32(), "MAPILogoff");
    LHANDLE session = 0;
    EXPECT_EQ(logon(0, nullptr, nullptr, 0, 0, &session), 3u);
    ASSERT_EQ(logon(0, const_cast<char *>(""), const_cast<char *>(""), MAPI_LOGON_UI, 0, &session), 0u);
    EXPECT_GE(session, 0x1000u);
    EXPECT_EQ(logoff(session, 0, 0, 0), 0u);
    EXPECT_EQ(logoff(session, 0, 0, 0), static_cast<ULONG>(MAPI_E_INVALID_SESSION)) << "already logged off";
    EXPECT_NE(log().find("MAPILogon ulUIParam=0x0 profile=null password=null flags=0x0 -> 3\r\n"), std::string::npos);
    EXPECT_NE(log().find("profile=\"\" password=\"\" flags=0x1 -> 0 session=0x"), std::string::npos) << log();
}

TEST_F(TestMailSystem, ResolveNameFindsRefusesAndIsFreedThroughMapi32) {
    configure("[resolve]\nGhost=14\n");
    auto resolve = entry<LPMAPIRESOLVENAME>(mapi32(), "MAPIResolveName");
    lpMapiRecipDesc recip = nullptr;
    ASSERT_EQ(resolve(0, 0, const_cast<char *>("ann"), 0, 0, &recip), 0u);
    EXPECT_EQ(recip->ulRecipClass, static_cast<ULONG>(MAPI_TO));
    EXPECT_STREQ(recip->lpszName, "Ann Archer");
    EXPECT_STREQ(recip->lpszAddress, "SMTP:ann@example.com");
    ASSERT_EQ(recip->ulEIDSize, 4u);
    EXPECT_EQ(std::memcmp(recip->lpEntryID, "\xA1\xA2\xA3\xA4", 4), 0);
    EXPECT_EQ(buffers(), 1);
    EXPECT_EQ(freeBuffer(recip), 0u);
    EXPECT_EQ(buffers(), 0) << "the texts were chained onto the descriptor";
    const struct { const char *name; ULONG result; } failures[] = {
        {"Nobody", MAPI_E_UNKNOWN_RECIPIENT}, {"example.com", MAPI_E_AMBIGUOUS_RECIPIENT}, {"ghost", 14}};
    for (const auto &f : failures) {
        EXPECT_EQ(resolve(0, 0, const_cast<char *>(f.name), 0, 0, &recip), f.result) << f.name;
        EXPECT_EQ(recip, nullptr);
    }
    EXPECT_EQ(buffers(), 0);
    EXPECT_NE(log().find("name=\"ann\" flags=0x0 -> 0 display=\"Ann Archer\" address=\"SMTP:ann@example.com\" "
                         "eid=A1A2A3A4"), std::string::npos) << log();
}

TEST_F(TestMailSystem, SendMailWritesBothAttachmentsAsBase64) {
    std::string binary;
    for (int i = 0; i < 1000; ++i) binary += static_cast<char>(i * 7);
    std::ofstream(folder + "q3.pdf", std::ios::binary) << binary;
    std::ofstream(folder + "notes.txt", std::ios::binary) << "line one\r\nline two";
    std::string paths[] = {folder + "q3.pdf", folder + "notes.txt"};
    MapiFileDesc files[2] = {{0, 0, 0, &paths[0][0], nullptr, nullptr},
                             {0, 0, ULONG(-1), &paths[1][0], const_cast<char *>("Notes.txt"), nullptr}};
    MapiRecipDesc recips[] = {{0, MAPI_TO, const_cast<char *>("Ann Archer"), const_cast<char *>("SMTP:ann@example.com"), 0, nullptr},
                              {0, MAPI_CC, const_cast<char *>("Bob"), nullptr, 0, nullptr}};
    MapiMessage message{0, const_cast<char *>("Q3"), const_cast<char *>("Hello "), nullptr, nullptr, nullptr, 0,
                        nullptr, 2, recips, 2, files};
    auto send = entry<LPMAPISENDMAIL>(mapi32(), "MAPISendMail");
    ASSERT_EQ(send(0, 0, &message, 0, 0), 0u) << log();
    std::string eml = readFile(folder + "outbox\\message-0001.eml");
    EXPECT_NE(eml.find("From: uxdmapi Test Mail <testmail@localhost>\r\n"), std::string::npos);
    EXPECT_NE(eml.find("To: Ann Archer <ann@example.com>\r\nCc: Bob Baker <bob@example.com>\r\nSubject: Q3\r\n"),
              std::string::npos) << eml.substr(0, 300);
    EXPECT_EQ(attachment(eml, "q3.pdf"), binary);
    EXPECT_EQ(attachment(eml, "Notes.txt"), "line one\r\nline two");
    EXPECT_NE(log().find("  file position=-1 path=\"" + paths[1] + "\" name=\"Notes.txt\""), std::string::npos);

    DeleteFileA(paths[1].c_str());
    EXPECT_EQ(send(0, 0, &message, 0, 0), static_cast<ULONG>(MAPI_E_ATTACHMENT_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA((folder + "outbox\\message-0002.eml").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(TestMailSystem, AddressBookRoundTripReleasesEverything) {
    configure("[address]\npick=Ann Archer:1,Bob Baker:2\n");
    auto logonEx = entry<LPMAPILOGONEX>(mapi32(), "MAPILogonEx");
    auto allocate = entry<LPMAPIALLOCATEBUFFER>(mapi32(), "MAPIAllocateBuffer");
    LPMAPISESSION session = nullptr;
    LPADRBOOK book = nullptr;
    ASSERT_EQ(logonEx(0, nullptr, nullptr, MAPI_EXTENDED | MAPI_NEW_SESSION, &session), S_OK);
    ASSERT_EQ(session->OpenAddressBook(0, nullptr, AB_NO_DIALOG, &book), S_OK);

    LPADRLIST list = nullptr;
    ASSERT_EQ(allocate(CbNewADRLIST(1), reinterpret_cast<void **>(&list)), S_OK);
    list->cEntries = 1;
    ASSERT_EQ(allocate(sizeof(SPropValue) + 8, reinterpret_cast<void **>(&list->aEntries[0].rgPropVals)), S_OK);
    SPropValue *name = list->aEntries[0].rgPropVals;
    name->ulPropTag = PR_DISPLAY_NAME_A;
    name->Value.lpszA = std::strcpy(reinterpret_cast<char *>(name + 1), "Bob");
    list->aEntries[0].cValues = 1;
    ASSERT_EQ(book->ResolveName(0, 0, nullptr, list), S_OK);
    ASSERT_EQ(list->aEntries[0].cValues, 4u);
    EXPECT_STREQ(list->aEntries[0].rgPropVals[0].Value.lpszA, "Bob Baker");
    EXPECT_EQ(list->aEntries[0].rgPropVals[1].Value.bin.cb, 4u) << "default entry id: 4 bytes of the number";
    EXPECT_STREQ(list->aEntries[0].rgPropVals[2].Value.lpszA, "bob@example.com");
    EXPECT_EQ(buffers(), 2) << "the old values were freed";

    char caption[] = "Address Book";
    ADRPARM params{};
    params.ulFlags = DIALOG_MODAL;
    params.lpszCaption = caption;
    params.cDestFields = 2;
    ULONG_PTR window = 0;
    ASSERT_EQ(book->Address(&window, &params, &list), S_OK);
    ASSERT_EQ(list->cEntries, 2u);
    EXPECT_STREQ(list->aEntries[1].rgPropVals[0].Value.lpszA, "Bob Baker");
    EXPECT_EQ(list->aEntries[1].rgPropVals[1].Value.l, 2);
    EXPECT_EQ(buffers(), 3) << "the caller's list was freed, the new one has a block per entry";
    for (ULONG i = 0; i < list->cEntries; ++i) freeBuffer(list->aEntries[i].rgPropVals);
    freeBuffer(list);
    EXPECT_EQ(book->Release(), 0u);
    EXPECT_EQ(session->Release(), 0u);
    EXPECT_EQ(buffers(), 0);
    EXPECT_EQ(objects(), 0);
    EXPECT_NE(log().find("Address flags=0x1 caption=\"Address Book\" destFields=2 entries=1 -> 0 picked=2"),
              std::string::npos) << log();
    EXPECT_NE(log().find("Release object=session alive=0"), std::string::npos);
}

}  // namespace
