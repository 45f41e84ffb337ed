// Finding localized resource libraries and reading string tables from them.
#include "session.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace rm {

void expandPattern(const wchar_t *pattern, LANGID language, wchar_t *name) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    for (const wchar_t *p = pattern; *p; ++p) {
        if (p[0] != L'%' || !p[1]) {
            *name++ = *p;
            continue;
        }
        wchar_t placeholder = *++p;
        if (placeholder == L'L') {
            for (int shift = 12; shift >= 0; shift -= 4) *name++ = kHex[(language >> shift) & 15];
        } else if (placeholder == L'X') {
            *name++ = L'd', *name++ = L'l', *name++ = L'l';
        } else if (placeholder == L'%') {
            *name++ = L'%';
        } else {
            *name++ = L'%', *name++ = placeholder;
        }
    }
    *name = L'\0';
}

LANGID concreteLanguage(WORD language) {
    if (language == 0 || language == LANG_USER_DEFAULT) return GetUserDefaultUILanguage();
    if (language == LANG_SYSTEM_DEFAULT) return GetSystemDefaultUILanguage();
    return language;
}

int languagesToTry(WORD language, LANGID (&languages)[2]) {
    LANGID exact = concreteLanguage(language);
    LANGID primary = MAKELANGID(PRIMARYLANGID(exact), SUBLANG_DEFAULT);
    languages[0] = exact;
    languages[1] = primary;
    return primary != exact ? 2 : 1;
}

const wchar_t *findString(HMODULE module, UINT id, LANGID language, int *length) {
    LPCWSTR block = MAKEINTRESOURCEW((id >> 4) + 1);
    HRSRC found = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING), block, language);
    if (!found) found = FindResourceW(module, block, reinterpret_cast<LPCWSTR>(RT_STRING));
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const WCHAR *entry = loaded ? static_cast<const WCHAR *>(LockResource(loaded)) : nullptr;
    if (!entry) return nullptr;
    // A block holds 16 counted strings; skip to ours, staying inside the resource.
    const WCHAR *end = entry + SizeofResource(module, found) / sizeof(WCHAR);
    for (UINT i = 0; i < (id & 15); ++i) {
        if (entry >= end) return nullptr;
        entry += 1 + *entry;
    }
    if (entry >= end || entry + 1 + *entry > end) return nullptr;
    *length = *entry;
    return entry + 1;
}

int toAnsi(const wchar_t *text, int length, char *buffer, int maxChars) {
    buffer[0] = '\0';
    if (length <= 0 || maxChars <= 0) return 0;
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return 0;
    char *narrow = static_cast<char *>(std::malloc(static_cast<size_t>(bytes)));
    if (!narrow) return 0;
    WideCharToMultiByte(CP_ACP, 0, text, length, narrow, bytes, nullptr, nullptr);
    int cut = bytes;
    if (bytes > maxChars) {
        cut = 0;
        while (cut < bytes) {
            int next = cut + (IsDBCSLeadByte(static_cast<BYTE>(narrow[cut])) ? 2 : 1);
            if (next > maxChars) break;
            cut = next;
        }
    }
    std::memcpy(buffer, narrow, static_cast<size_t>(cut));
    buffer[cut] = '\0';
    std::free(narrow);
    return cut;
}

}  // namespace rm

namespace {

wchar_t *duplicate(const wchar_t *text) {
    size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    auto *copy = static_cast<wchar_t *>(std::malloc(bytes));
    if (copy) std::memcpy(copy, text, bytes);
    return copy;
}

// The folder of `module` with its trailing backslash; empty when it has no path. Null only
// when out of memory.
wchar_t *moduleFolder(HINSTANCE module) {
    for (DWORD room = MAX_PATH;; room *= 2) {
        auto *path = static_cast<wchar_t *>(std::malloc(room * sizeof(wchar_t)));
        if (!path) return nullptr;
        DWORD length = GetModuleFileNameW(module, path, room);
        if (length < room) {
            path[length] = L'\0';
            wchar_t *slash = nullptr;
            for (wchar_t *c = path; *c; ++c)
                if (*c == L'\\' || *c == L'/') slash = c;
            if (slash) slash[1] = L'\0';
            else path[0] = L'\0';
            return path;
        }
        std::free(path);
    }
}

}  // namespace

RMSession *RMSession::open(HINSTANCE module, const wchar_t *pattern, bool fallbackToModule) {
    auto *session = static_cast<RMSession *>(std::calloc(1, sizeof(RMSession)));
    if (!session) return nullptr;
    session->module = module;
    session->fallbackToModule = fallbackToModule;
    session->folder = moduleFolder(module);
    session->pattern = duplicate(pattern ? pattern : L"");
    if (session->folder && session->pattern) return session;
    session->close();
    return nullptr;
}

void RMSession::close() {
    for (unsigned i = 0; i < libraryCount; ++i)
        if (libraries[i].handle) FreeLibrary(libraries[i].handle);
    std::free(libraries);
    std::free(folder);
    std::free(pattern);
    std::free(this);
}

HMODULE RMSession::libraryFor(LANGID language) {
    for (unsigned i = 0; i < libraryCount; ++i)
        if (libraries[i].language == language) return libraries[i].handle;
    if (libraryCount == libraryRoom) {
        unsigned room = libraryRoom ? libraryRoom * 2 : 4;
        auto *grown = static_cast<Library *>(std::realloc(libraries, room * sizeof(Library)));
        if (!grown) return nullptr;  // out of memory: as if there were none
        libraries = grown, libraryRoom = room;
    }
    size_t folderLength = std::wcslen(folder);
    auto *path = static_cast<wchar_t *>(
        std::malloc((folderLength + 2 * std::wcslen(pattern) + 1) * sizeof(wchar_t)));
    if (!path) return nullptr;
    std::memcpy(path, folder, folderLength * sizeof(wchar_t));
    rm::expandPattern(pattern, language, path + folderLength);
    // Most users have no library of their own language: asking for the file's attributes
    // answers that much faster than a load that fails.
    HMODULE handle = GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES
                         ? nullptr
                         : LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::free(path);
    libraries[libraryCount++] = {language, handle};
    return handle;
}

int RMSession::modulesFor(WORD language, HMODULE (&modules)[3]) {
    LANGID candidates[2];
    int count = 0;
    for (int i = 0, n = rm::languagesToTry(language, candidates); i < n; ++i)
        if (HMODULE library = libraryFor(candidates[i])) modules[count++] = library;
    if (fallbackToModule) modules[count++] = module;
    return count;
}
