// Inner pieces of the resource manager, kept apart from the exports so tests reach them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace rm {

// "pelmo%L.%X" with 0x0407 -> "pelmo0407.dll"; unknown placeholders stay as written.
std::wstring expandPattern(const std::wstring &pattern, LANGID language);

// 0x0400 and 0 -> the user's UI language, 0x0800 -> the system's; others unchanged.
LANGID concreteLanguage(WORD language);

// Languages whose libraries are tried, most specific first (no duplicates).
std::vector<LANGID> languagesToTry(WORD language);

// Text `id` of `module`, preferring `language`; empty when the module has none.
std::wstring findString(HMODULE module, UINT id, LANGID language);

// Narrows to the ANSI code page and cuts to maxChars bytes without splitting a
// double-byte character.
std::string toAnsi(const std::wstring &text, int maxChars);

}  // namespace rm

struct RMSession {
    HINSTANCE module = nullptr;
    std::wstring folder;   // where the module lies, with a trailing backslash
    std::wstring pattern;
    bool fallbackToModule = true;

    struct Library {
        LANGID language;
        HMODULE handle;    // null: looked for and not there
    };
    std::vector<Library> libraries;

    ~RMSession();
    HMODULE libraryFor(LANGID language);   // loads once per language, remembers misses
    std::vector<HMODULE> modulesFor(WORD language);
};
