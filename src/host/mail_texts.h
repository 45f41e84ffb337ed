// The texts of a mail as uxdsend's options give them, in ANSI or in UTF-16. An option that was
// not given stays empty (a null pointer for the plug-in), which is not the same as an empty text.
#pragma once

#include <optional>
#include <string>

template <class Char>
struct BasicMailTexts {
    std::optional<std::basic_string<Char>> to, cc, bcc, subject, message, profile, password;
};

using MailTexts = BasicMailTexts<char>;
using WideMailTexts = BasicMailTexts<wchar_t>;
