// Text helpers shared by the log, the configuration, the address book and the mail writer.
// Strings are the callers' ANSI strings throughout; only the mail file is UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testmail {

using Bytes = std::vector<unsigned char>;

std::string lower(std::string text);  // in the user's code page, as a mail client compares
bool equalsNoCase(const std::string &a, const std::string &b);
bool containsNoCase(const std::string &haystack, const std::string &needle);
std::string trim(const std::string &text);
std::vector<std::string> split(const std::string &text, char separator);
std::string orEmpty(const char *text);

std::string hexBytes(const void *data, std::size_t size);  // "A1A2A3A4"
bool parseHex(const std::string &text, Bytes &bytes);
bool parseNumber(const std::string &text, unsigned long &value);  // decimal, 0x hex, negative

std::string withoutSmtpPrefix(const std::string &address);
std::string fileNameOf(const char *path);  // walks double-byte characters
std::string ansiToUtf8(const std::string &text);
std::string wideToAnsi(const wchar_t *text);

}  // namespace testmail
