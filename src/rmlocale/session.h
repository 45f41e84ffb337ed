// Inner pieces of the resource manager, kept apart from the exports so tests reach them.
// Plain arrays on the C heap: the DLL carries no C++ library, so that loading it stays cheap.
#pragma once

#include <windows.h>

namespace rm {

// "pelmo%L.%X" with 0x0407 -> "pelmo0407.dll" into `name` (room for 2 x the pattern's length
// and a terminator: no placeholder grows past twice its two characters); unknown
// placeholders stay as written.
void expandPattern(const wchar_t *pattern, LANGID language, wchar_t *name);

// 0x0400 and 0 -> the user's UI language, 0x0800 -> the system's; others unchanged.
LANGID concreteLanguage(WORD language);

// Languages whose libraries are tried, most specific first (no duplicates): their count.
int languagesToTry(WORD language, LANGID (&languages)[2]);

// Text `id` of `module`, preferring `language`, read in place: its characters and their
// count; null when the module has none.
const wchar_t *findString(HMODULE module, UINT id, LANGID language, int *length);

// Narrows to the ANSI code page into `buffer`, cut to maxChars bytes without splitting a
// double-byte character, and terminated: the count of bytes; 0 when it cannot be had.
int toAnsi(const wchar_t *text, int length, char *buffer, int maxChars);

}  // namespace rm

struct RMSession {
    HINSTANCE module;
    wchar_t *folder;    // where the module lies, with a trailing backslash (or empty)
    wchar_t *pattern;
    bool fallbackToModule;

    struct Library {
        LANGID language;
        HMODULE handle;    // null: looked for and not there
    };
    Library *libraries;    // one per language looked for
    unsigned libraryCount, libraryRoom;

    // Null when out of memory.
    static RMSession *open(HINSTANCE module, const wchar_t *pattern, bool fallbackToModule);
    void close();
    HMODULE libraryFor(LANGID language);   // loads once per language, remembers misses
    // The modules to take resources from for `language`, most specific first: their count.
    int modulesFor(WORD language, HMODULE (&modules)[3]);
};
