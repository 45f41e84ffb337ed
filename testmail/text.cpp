// Text helpers; see text.h.
#include "text.h"

#include <windows.h>

#include <climits>
#include <cstdlib>

namespace testmail {

std::string lower(std::string text) {
    if (!text.empty() && text.size() <= ULONG_MAX) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool equalsNoCase(const std::string &a, const std::string &b) { return lower(a) == lower(b); }

bool containsNoCase(const std::string &haystack, const std::string &needle) {
    return lower(haystack).find(lower(needle)) != std::string::npos;
}

std::string trim(const std::string &text) {
    const char *blanks = " \t\r\n";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::string orEmpty(const char *text) { return text ? text : ""; }

std::string hexBytes(const void *data, std::size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    const unsigned char *bytes = static_cast<const unsigned char *>(data);
    for (std::size_t i = 0; bytes && i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

static int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseHex(const std::string &text, Bytes &bytes) {
    if (text.size() % 2) return false;
    Bytes parsed;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        parsed.push_back(static_cast<unsigned char>(high * 16 + low));
    }
    bytes.swap(parsed);
    return true;
}

bool parseNumber(const std::string &text, unsigned long &value) {
    std::string digits = trim(text);
    if (digits.empty()) return false;
    char *end = nullptr;
    long long number = std::strtoll(digits.c_str(), &end, 0);
    if (*end != '\0' || number < LONG_MIN || number > static_cast<long long>(ULONG_MAX)) return false;
    value = static_cast<unsigned long>(number);  // negative decimals keep their HRESULT bits
    return true;
}

std::string withoutSmtpPrefix(const std::string &address) {
    if (address.size() >= 5 && equalsNoCase(address.substr(0, 5), "SMTP:")) return address.substr(5);
    return address;
}

std::string fileNameOf(const char *path) {
    if (!path) return {};
    const char *name = path;
    for (const char *p = path; *p; p = CharNextA(p))
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return name;
}

static std::string convert(const wchar_t *wide, int length, UINT codePage) {
    int size = WideCharToMultiByte(codePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, wide, length, &text[0], size, nullptr, nullptr);
    return text;
}

std::string ansiToUtf8(const std::string &text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    int length = static_cast<int>(text.size());
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], size);
    return convert(wide.data(), size, CP_UTF8);
}

std::string wideToAnsi(const wchar_t *text) {
    if (!text || !*text) return {};
    std::string ansi = convert(text, -1, CP_ACP);
    if (!ansi.empty()) ansi.pop_back();  // the terminator that length -1 converts too
    return ansi;
}

}  // namespace testmail
