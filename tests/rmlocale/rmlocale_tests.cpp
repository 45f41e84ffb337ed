// rmlocale-1-0.dll: file names per language, which language is tried when, and what a
// session hands out for texts and dialog templates from the libraries beside this exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "rmlocale.h"
#include "session.h"

namespace {

std::string hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

std::string repeat(const std::string &piece, int times) {
    std::string text;
    while (times-- > 0) text += piece;
    return text;
}

// --- file names ------------------------------------------------------------------------

TEST(PatternExpansion, ExpandsPlaceholdersAndKeepsTheRest) {
    const struct { const wchar_t *pattern; LANGID language; const wchar_t *expected; } cases[] = {
        {L"pelmo%L.%X", 0x0407, L"pelmo0407.dll"},
        {L"r%L", 0x0C0A, L"r0C0A"},            // upper-case hex
        {L"r%L", 0x0009, L"r0009"},            // always four digits
        {L"%L-%L", 0x0407, L"0407-0407"},
        {L"100%%.%X", 0x0407, L"100%.dll"},
        {L"%%L", 0x0407, L"%L"},               // an escaped % does not start a placeholder
        {L"a%Qb.%X", 0x0407, L"a%Qb.dll"},     // unknown placeholder stays as written
        {L"name%", 0x0407, L"name%"},          // lone % at the end
    };
    for (const auto &c : cases)
        EXPECT_EQ(rm::expandPattern(c.pattern, c.language), std::wstring(c.expected))
            << "pattern \"" << c.pattern << "\" with language " << hex(c.language);
}

// --- which languages are tried -----------------------------------------------------------

TEST(LanguageResolution, PlaceholderLanguagesBecomeTheUiLanguages) {
    const struct { WORD language; LANGID expected; } cases[] = {
        {0, GetUserDefaultUILanguage()},
        {LANG_USER_DEFAULT, GetUserDefaultUILanguage()},
        {LANG_SYSTEM_DEFAULT, GetSystemDefaultUILanguage()},
        {0x0407, 0x0407},
        {0x0C07, 0x0C07},
    };
    for (const auto &c : cases)
        EXPECT_EQ(hex(rm::concreteLanguage(c.language)), hex(c.expected))
            << "for language " << hex(c.language);
}

TEST(LanguageResolution, TriesExactThenPrimaryWithDefaultSublanguage) {
    const struct { WORD language; std::vector<LANGID> expected; } cases[] = {
        {0x0C07, {0x0C07, 0x0407}},
        {0x0809, {0x0809, 0x0409}},
        {0x0007, {0x0007, 0x0407}},   // neutral sublanguage still reaches the default one
        {0x0407, {0x0407}},           // already the default sublanguage: no duplicate
        {0x0600, {0x0600}},
    };
    for (const auto &c : cases) {
        std::vector<LANGID> tried = rm::languagesToTry(c.language);
        std::string got, want;
        for (LANGID l : tried) got += hex(l) + " ";
        for (LANGID l : c.expected) want += hex(l) + " ";
        EXPECT_EQ(got, want) << "languages tried for " << hex(c.language);
    }
    std::vector<LANGID> user = rm::languagesToTry(LANG_USER_DEFAULT);
    ASSERT_FALSE(user.empty());
    EXPECT_EQ(hex(user.front()), hex(GetUserDefaultUILanguage()))
        << "the user default must be resolved before the libraries are named";
}

TEST(LanguageResolution, ProductLocaleIsTheUserUiLanguage) {
    EXPECT_EQ(hex(GetProductLocale()), hex(GetUserDefaultUILanguage()));
}

// --- texts through a session ---------------------------------------------------------------

constexpr char kJunk = 'Z';
constexpr size_t kGuard = 16;

struct Loaded {
    int count;
    std::string text;     // up to the terminator, or all maxChars + 1 bytes if none
    bool terminated;
    bool guardIntact;     // nothing written past maxChars + 1 bytes
};

Loaded load(RMSESSION session, WORD language, UINT id, int maxChars) {
    std::vector<char> buffer(maxChars + 1 + kGuard, kJunk);
    Loaded r{};
    r.count = RMLoadStringA(session, language, id, buffer.data(), maxChars);
    auto limit = buffer.begin() + maxChars + 1;
    auto nul = std::find(buffer.begin(), limit, '\0');
    r.text.assign(buffer.begin(), nul);
    r.terminated = nul != limit;
    r.guardIntact = std::all_of(limit, buffer.end(), [](char c) { return c == kJunk; });
    return r;
}

class Session : public testing::Test {
protected:
    RMSESSION open(DWORD fallbackToModule, const wchar_t *pattern = L"pelmo%L.%X") {
        RMSESSION s = RMInitResMgrSession(GetModuleHandleW(nullptr), 0, pattern, fallbackToModule);
        sessions_.push_back(s);
        return s;
    }
    void TearDown() override {
        for (RMSESSION s : sessions_) RMTermResMgrSession(s);
    }

private:
    std::vector<RMSESSION> sessions_;
};

const std::string kGermanDescription =
    "MAPI exportiert den Bericht im angegebenen Format als E-Mail-Anlage.  Hinweis: Damit "
    "dieses Format funktioniert, muss ein E-Mail-Programm installiert sein.";
const std::string kEnglishDescription =
    "MAPI exports the report in the specified format as an e-mail attachment.  Note: for "
    "this format to work, you must have a mail client installed.";
const std::string kDigits300 = repeat("0123456789", 30);
const std::string kLetters1100 = repeat("abcdefghij", 110);

struct TextCase {
    const char *what;
    WORD language;
    UINT id;
    int maxChars;
    std::string expected;
};

TEST_F(Session, TextsComeFromTheFirstSourceThatHasThem) {
    const TextCase cases[] = {
        {"German library", 0x0407, IDS_DESTINATION_DESCRIPTION, 1023, kGermanDescription},
        {"German via primary language", 0x0C07, IDS_DESTINATION_DESCRIPTION, 1023, kGermanDescription},
        {"no library: module's table", 0x0409, IDS_DESTINATION_DESCRIPTION, 1023, kEnglishDescription},
        {"no library: module's table", 0x040C, IDS_MAPI_CAPTION, 255, "MAPI Destination"},
        {"missing from library: module's table", 0x0600, IDS_NO_MATCH, 255,
         "No match could be found for <%s>."},
        {"missing everywhere", 0x0409, 4242, 255, ""},
        {"cut to the name buffer", 0x0600, IDS_DESTINATION_NAME, 255, kDigits300.substr(0, 255)},
        {"cut to the description buffer", 0x0600, IDS_DESTINATION_DESCRIPTION, 1020,
         kLetters1100.substr(0, 1020)},
        {"one short of fitting", 0x0600, IDS_DESTINATION_NAME, 299, kDigits300.substr(0, 299)},
        {"exact fit", 0x0600, IDS_DESTINATION_NAME, 300, kDigits300},
        {"room to spare", 0x0600, IDS_DESTINATION_NAME, 1020, kDigits300},
        {"cut inside a German text", 0x0407, IDS_MAPI_CAPTION, 4, "MAPI"},
        {"no room", 0x0600, IDS_DESTINATION_NAME, 0, ""},
    };
    RMSESSION session = open(1);
    ASSERT_NE(session, nullptr);
    for (const TextCase &c : cases) {
        SCOPED_TRACE(std::string(c.what) + ": language " + hex(c.language) + ", text " +
                     std::to_string(c.id) + ", maxChars " + std::to_string(c.maxChars));
        Loaded got = load(session, c.language, c.id, c.maxChars);
        EXPECT_TRUE(got.terminated) << "no terminator within maxChars + 1 bytes";
        EXPECT_TRUE(got.guardIntact) << "bytes written past maxChars + 1";
        EXPECT_EQ(got.text, c.expected)
            << got.text.size() << " characters, expected " << c.expected.size();
        EXPECT_EQ(got.count, static_cast<int>(c.expected.size())) << "returned count";
    }
}

TEST_F(Session, GermanTextsArriveInTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "expected bytes are for code page 1252, not " << GetACP();
    Loaded got = load(open(1), 0x0407, IDS_NO_MATCH, 255);
    EXPECT_EQ(got.text, "F\xFCr <%s> wurde keine \xDC" "bereinstimmung gefunden.");
    EXPECT_EQ(got.count, 46) << "one byte per character";
}

TEST_F(Session, DefaultLanguagesReadLikeTheConcreteOnes) {
    RMSESSION session = open(1);
    const struct { WORD language; LANGID concrete; } cases[] = {
        {0, GetUserDefaultUILanguage()},
        {LANG_USER_DEFAULT, GetUserDefaultUILanguage()},
        {LANG_SYSTEM_DEFAULT, GetSystemDefaultUILanguage()},
    };
    for (const auto &c : cases) {
        Loaded placeholder = load(session, c.language, IDS_MAPI_CAPTION, 255);
        Loaded concrete = load(session, c.concrete, IDS_MAPI_CAPTION, 255);
        EXPECT_EQ(placeholder.text, concrete.text)
            << "language " << hex(c.language) << " should read as " << hex(c.concrete);
        EXPECT_FALSE(placeholder.text.empty()) << "for language " << hex(c.language);
    }
}

TEST_F(Session, NullSessionOrNoFallbackGivesEmptyText) {
    const struct { const char *what; bool nullSession; WORD language; UINT id; std::string expected; }
        cases[] = {
            {"null session", true, 0x0409, IDS_MAPI_CAPTION, ""},
            {"no fallback, no library", false, 0x0409, IDS_MAPI_CAPTION, ""},
            {"no fallback, missing from library", false, 0x0600, IDS_NO_MATCH, ""},
            {"no fallback, library still used", false, 0x0407, IDS_MAPI_CAPTION, "MAPI-Ziel"},
        };
    RMSESSION noFallback = open(0);
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.what) + ", language " + hex(c.language));
        Loaded got = load(c.nullSession ? nullptr : noFallback, c.language, c.id, 255);
        EXPECT_TRUE(got.terminated) << "buffer left without a terminator";
        EXPECT_EQ(got.text, c.expected);
        EXPECT_EQ(got.count, static_cast<int>(c.expected.size()));
    }
}

TEST_F(Session, MissingLibraryFilesFallBackToTheModule) {
    RMSESSION session = open(1, L"nosuch%L.%X");
    EXPECT_EQ(load(session, 0x0407, IDS_MAPI_CAPTION, 255).text, "MAPI Destination");
}

// --- dialog templates ----------------------------------------------------------------------

// Caption of MAPI_SPOOLER in `module`, read from the raw template; "<none>" if absent.
std::wstring spoolerCaption(HMODULE module) {
    HRSRC found = FindResourceA(module, "MAPI_SPOOLER", reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!found) return L"<none>";
    const WORD *p = static_cast<const WORD *>(LockResource(LoadResource(module, found)));
    if (!p) return L"<none>";
    bool extended = p[0] == 1 && p[1] == 0xFFFF;
    p += extended ? 13 : 9;   // fixed header of DLGTEMPLATEEX / DLGTEMPLATE
    for (int field = 0; field < 2; ++field) {   // menu, then window class
        if (*p == 0xFFFF) p += 2;
        else { while (*p) ++p; ++p; }
    }
    return std::wstring(reinterpret_cast<const wchar_t *>(p));
}

TEST_F(Session, ResourceModuleIsTheLibraryForTheLanguageOrTheModule) {
    RMSESSION session = open(1);
    const HMODULE self = GetModuleHandleW(nullptr);
    const struct { DWORD language; const wchar_t *caption; bool isSelf; } cases[] = {
        {0x0407, L"E-Mail senden", false},
        {0x0C07, L"E-Mail senden", false},   // through the primary language
        {0x0409, L"Send Mail", true},
        {0x040C, L"Send Mail", true},
    };
    for (const auto &c : cases) {
        HINSTANCE got = RMGetResDLLInstance(session, c.language, nullptr);
        ASSERT_NE(got, nullptr) << "for language " << hex(c.language);
        EXPECT_EQ(got == self, c.isSelf) << "language " << hex(c.language) << " gave " << got
                                         << ", module is " << self;
        EXPECT_EQ(spoolerCaption(got), std::wstring(c.caption)) << "language " << hex(c.language);
    }
    EXPECT_EQ(RMGetResDLLInstance(session, 0x0C07, nullptr),
              RMGetResDLLInstance(session, 0x0407, nullptr))
        << "both languages should share the one loaded German library";
}

}  // namespace
