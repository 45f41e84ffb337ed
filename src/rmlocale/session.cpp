// Finding localized resource libraries and reading string tables from them.
#include "session.h"

#include <cstdio>

namespace rm {

std::wstring expandPattern(const std::wstring &pattern, LANGID language) {
    std::wstring name;
    for (size_t i = 0; i < pattern.size(); ++i) {
        wchar_t c = pattern[i];
        if (c != L'%' || i + 1 == pattern.size()) {
            name += c;
            continue;
        }
        wchar_t placeholder = pattern[++i];
        if (placeholder == L'L') {
            wchar_t hex[8];
            swprintf(hex, 8, L"%04X", static_cast<unsigned>(language));
            name += hex;
        } else if (placeholder == L'X') {
            name += L"dll";
        } else if (placeholder == L'%') {
            name += L'%';
        } else {
            name += L'%';
            name += placeholder;
        }
    }
    return name;
}

LANGID concreteLanguage(WORD language) {
    if (language == 0 || language == LANG_USER_DEFAULT) return GetUserDefaultUILanguage();
    if (language == LANG_SYSTEM_DEFAULT) return GetSystemDefaultUILanguage();
    return language;
}

std::vector<LANGID> languagesToTry(WORD language) {
    LANGID exact = concreteLanguage(language);
    LANGID primary = MAKELANGID(PRIMARYLANGID(exact), SUBLANG_DEFAULT);
    std::vector<LANGID> result{exact};
    if (primary != exact) result.push_back(primary);
    return result;
}

std::wstring findString(HMODULE module, UINT id, LANGID language) {
    LPCWSTR block = MAKEINTRESOURCEW((id >> 4) + 1);
    HRSRC found = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING), block, language);
    if (!found) found = FindResourceW(module, block, reinterpret_cast<LPCWSTR>(RT_STRING));
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const WCHAR *entry = loaded ? static_cast<const WCHAR *>(LockResource(loaded)) : nullptr;
    if (!entry) return {};
    // A block holds 16 counted strings; skip to ours, staying inside the resource.
    const WCHAR *end = entry + SizeofResource(module, found) / sizeof(WCHAR);
    for (UINT i = 0; i < (id & 15); ++i) {
        if (entry >= end) return {};
        entry += 1 + *entry;
    }
    if (entry >= end || entry + 1 + *entry > end) return {};
    return std::wstring(entry + 1, *entry);
}

std::string toAnsi(const std::wstring &text, int maxChars) {
    if (text.empty() || maxChars <= 0) return {};
    int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &narrow[0],
                        bytes, nullptr, nullptr);
    if (bytes <= maxChars) return narrow;
    size_t cut = 0;
    while (cut < narrow.size()) {
        size_t next = cut + (IsDBCSLeadByte(static_cast<BYTE>(narrow[cut])) ? 2 : 1);
        if (next > static_cast<size_t>(maxChars)) break;
        cut = next;
    }
    narrow.resize(cut);
    return narrow;
}

}  // namespace rm

RMSession::~RMSession() {
    for (const Library &library : libraries)
        if (library.handle) FreeLibrary(library.handle);
}

HMODULE RMSession::libraryFor(LANGID language) {
    for (const Library &library : libraries)
        if (library.language == language) return library.handle;
    std::wstring path = folder + rm::expandPattern(pattern, language);
    HMODULE handle = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    libraries.push_back({language, handle});
    return handle;
}

std::vector<HMODULE> RMSession::modulesFor(WORD language) {
    std::vector<HMODULE> modules;
    for (LANGID candidate : rm::languagesToTry(language))
        if (HMODULE library = libraryFor(candidate)) modules.push_back(library);
    if (fallbackToModule) modules.push_back(module);
    return modules;
}
