// The resource libraries as a user of each language meets them: every text translated with
// its placeholders kept, the catalogue in the language, and the Send Mail dialog drawn on
// Wine's display with no label cut off (a picture of each is left in the bin folder). The
// Japanese cases run in a process of their own with code page 932 (languages_tests_ja).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "rmlocale.h"
#include "test_paths.h"
#include "uxdmapi.h"

namespace {

// library: the file that must serve it; caption: its dialog's (null: shown for another sort order)
struct Language { LANGID id; const char *library; const wchar_t *caption; };

const Language kEuropean[] = {
    {0x0407, "pelmo0407.dll", L"E-Mail senden"}, {0x040C, "pelmo040C.dll", L"Envoyer un message"},
    {0x040A, "pelmo040A.dll", L"Enviar correo"}, {0x0C0A, "pelmo040A.dll", nullptr},
    {0x080A, "pelmo040A.dll", nullptr},          {0x0410, "pelmo0410.dll", L"Invia messaggio"}};
const Language kJapanese = {0x0411, "pelmo0411.dll", L"\u30E1\u30FC\u30EB\u306E\u9001\u4FE1"};  // メールの送信

std::wstring loadWide(HMODULE module, UINT id) {
    const wchar_t *text = nullptr;
    int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);  // read in place
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

// "%s", "%u", ... in the order the text uses them: a translation must keep them as they were.
std::vector<std::string> placeholders(const std::wstring &text) {
    const std::string utf8 = narrow(text);
    const std::regex conversion("%[-+ #0-9.]*[a-zA-Z%]");
    return {std::sregex_token_iterator(utf8.begin(), utf8.end(), conversion), std::sregex_token_iterator()};
}

// A library of the bin folder, by default only for its resources.
struct DataFile {
    explicit DataFile(const char *name, DWORD flags = LOAD_LIBRARY_AS_DATAFILE)
        : module(LoadLibraryExA(binFile(name).c_str(), nullptr, flags)) {}
    ~DataFile() { if (module) FreeLibrary(module); }
    HMODULE module;
};

// The catalogue through the plug-in, as a host asks for it.
struct Catalogue {
    Catalogue() { started = dll.module && proc<UXDInitializeProc>("UXDInitialize")(0) == UXD_SUCCESS; }
    ~Catalogue() { if (started) proc<UXDTerminateProc>("UXDTerminate")(); }
    template <class F> F proc(const char *name) const {
        return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(dll.module, name)));
    }
    std::string description(uint32_t language) const {
        UXDDestinationCatalogue *catalogue = proc<UXDGetExportDestinationsExProc>("UXDGetExportDestinationsEx")(language);
        return catalogue && catalogue->entryCount == 1 ? catalogue->entries[0]->description : "(no catalogue)";
    }
    DataFile dll{"uxdmapi.dll", LOAD_WITH_ALTERED_SEARCH_PATH};
    bool started = false;
};

std::wstring windowText(HWND window) {
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

// Every label and button text drawn in the control's own font must fit its control on one
// line; each accelerator letter is used once.
void checkLabelsFit(HWND dialog) {
    std::set<wchar_t> accelerators;
    int labelled = 0;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        std::wstring text = windowText(control);
        if (text.empty()) continue;
        ++labelled;
        wchar_t kind[16] = L"";
        GetClassNameW(control, kind, 16);
        HDC dc = GetDC(control);
        HGDIOBJ before = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
        RECT needed = {0, 0, 0, 0}, room;
        DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE);  // '&' takes no room
        std::vector<WORD> glyphs(text.size());
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        SelectObject(dc, before), ReleaseDC(control, dc);
        EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), WORD(0xFFFF)), 0)
            << "\"" << narrow(text) << "\" has characters that its font cannot draw";
        GetClientRect(control, &room);
        // A push button leaves the 3-D edge and the focus rectangle on each side of its text.
        int margin = lstrcmpiW(kind, L"Button") ? 0 : 2 * (GetSystemMetrics(SM_CXEDGE) + 2);
        EXPECT_LE(needed.right + margin, room.right) << "\"" << narrow(text) << "\" is cut off: it needs "
                                                     << needed.right + margin << " pixels, its " << narrow(kind)
                                                     << " has " << room.right;
        EXPECT_LE(needed.bottom, room.bottom) << "\"" << narrow(text) << "\" is cut off at the bottom";
        size_t amp = text.find(L'&');
        EXPECT_TRUE(amp == std::wstring::npos || amp + 1 == text.size() ||
                    accelerators.insert(static_cast<wchar_t>(std::towupper(text[amp + 1]))).second)
            << "accelerator of \"" << narrow(text) << "\" is used twice";
    }
    EXPECT_EQ(labelled, 8) << "four buttons and four labels";
}

// The whole window, frame included, as a 32-bit .bmp for a person to look at; returns how many
// colours it holds, 0 when it could not be saved.
size_t saveBitmap(HWND window, const std::string &path) {
    // Copied from the window's own surface, freshly painted: Wine's PrintWindow leaves the
    // controls out, and the screen's DC does not hold other windows' pixels.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(200);
    RECT frame;
    GetWindowRect(window, &frame);
    LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
    BITMAPINFOHEADER header = {sizeof header, width, height, 1, 32, BI_RGB, DWORD(width * height * 4), 0, 0, 0, 0};
    std::vector<DWORD> pixels(width * height);
    HDC screen = GetWindowDC(window), memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ before = SelectObject(memory, picture);
    bool copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, before);  // GetDIBits wants the picture deselected
    copied = copied && GetDIBits(memory, picture, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO *>(&header),
                                 DIB_RGB_COLORS) == height;
    DeleteObject(picture), DeleteDC(memory), ReleaseDC(window, screen);
    for (DWORD &pixel : pixels) pixel |= 0xFF000000;  // opaque: viewers read a zero alpha as transparent
    DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
    BITMAPFILEHEADER file = {0x4D42, offset + header.biSizeImage, 0, 0, offset};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(&file), sizeof file)
        .write(reinterpret_cast<const char *>(&header), sizeof header)
        .write(reinterpret_cast<const char *>(pixels.data()), header.biSizeImage);
    return copied && out.good() ? std::set<DWORD>(pixels.begin(), pixels.end()).size() : 0;
}

// The dialog of a language, shown without a job: only its template is looked at.
void checkDialog(const Language &language) {
    SCOPED_TRACE(testing::Message() << "language 0x" << std::hex << language.id);
    RMSESSION session = RMInitResMgrSession(GetModuleHandleW(nullptr), 0, L"pelmo%L.%X", 1);
    HWND shown = CreateDialogParamW(RMGetResDLLInstance(session, language.id, nullptr), L"MAPI_SPOOLER", nullptr,
                                    [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    if (shown) {
        ShowWindow(shown, SW_SHOW), UpdateWindow(shown);
        EXPECT_EQ(windowText(shown), language.caption);
        checkLabelsFit(shown);
        char name[64];
        wsprintfA(name, "send_mail_dialog_%04X.bmp", language.id);
        EXPECT_GT(saveBitmap(shown, binFile(name)), 2u) << "no picture of text and controls in " << name;
        DestroyWindow(shown);
    } else {
        ADD_FAILURE() << "no MAPI_SPOOLER dialog, error " << GetLastError();
    }
    RMTermResMgrSession(session);
}

// Every text of the language's library translated with its placeholders in order, the
// catalogue in the language and, where it has one of its own, the dialog.
void checkLanguage(const Catalogue &catalogue, const Language &language) {
    SCOPED_TRACE(testing::Message() << language.library << ", language 0x" << std::hex << language.id);
    DataFile library(language.library);
    ASSERT_TRUE(library.module) << "cannot open " << language.library;
    for (UINT id = IDS_DESTINATION_NAME; id <= IDS_DESTINATION_DESCRIPTION; ++id) {
        std::wstring english = loadWide(GetModuleHandleW(nullptr), id), text = loadWide(library.module, id);
        EXPECT_FALSE(text.empty()) << "text " << id << " is missing";
        EXPECT_EQ(placeholders(text), placeholders(english)) << "text " << id << ": \"" << narrow(text) << "\"";
        EXPECT_TRUE(id == IDS_DESTINATION_NAME || text != english) << "text " << id << " is not translated";
    }
    EXPECT_EQ(catalogue.description(language.id), narrow(loadWide(library.module, IDS_DESTINATION_DESCRIPTION), CP_ACP));
    if (language.caption) checkDialog(language);
}

}  // namespace

TEST(European, TextsCatalogueAndDialogOfEachLanguageAndSpanishForEverySortOrder) {
    Catalogue catalogue;
    ASSERT_TRUE(catalogue.started) << "UXDInitialize failed";
    for (const Language &language : kEuropean) checkLanguage(catalogue, language);
    EXPECT_EQ(catalogue.description(0x0409), narrow(loadWide(GetModuleHandleW(nullptr), IDS_DESTINATION_DESCRIPTION), CP_ACP));
    checkDialog({0x0409, nullptr, L"Send Mail"});
}

// The process runs with the Japanese locale (languages_tests_ja).
TEST(Japanese, TextsCatalogueAndDialogInCodePage932AndTheUsersLanguageFindsThem) {
    ASSERT_EQ(GetACP(), 932u) << "run with a Japanese locale";
    Catalogue catalogue;
    ASSERT_TRUE(catalogue.started) << "UXDInitialize failed";
    checkLanguage(catalogue, kJapanese);
    EXPECT_EQ(catalogue.description(0x0400).find('?'), std::string::npos) << "every character has its code in 932";
    RMSESSION session = RMInitResMgrSession(GetModuleHandleW(nullptr), 0, L"pelmo%L.%X", 1);
    char text[256];
    const char ambiguous[] = "<%s> \x82\xCD\x82\xA0\x82\xA2\x82\xDC\x82\xA2\x82\xC5\x82\xB7\x81\x42";  // はあいまいです。
    for (WORD language : {WORD(0x0411), WORD(0x0400)}) {
        RMLoadStringA(session, language, IDS_AMBIGUOUS, text, 255);
        EXPECT_STREQ(text, ambiguous) << "language 0x" << std::hex << language;
    }
    EXPECT_EQ(RMGetResDLLInstance(session, 0x0400, nullptr), RMGetResDLLInstance(session, 0x0411, nullptr))
        << "the user's language is Japanese";
    RMTermResMgrSession(session);
}
