// Filling in destination options from the command line; see options_builder.h.
#include "options_builder.h"

#include <windows.h>

#include <cstring>

namespace {

template <class Char>
Char *pointerTo(const std::optional<std::basic_string<Char>> &text) {
    return text ? const_cast<Char *>(text->c_str()) : nullptr;  // the plug-in only reads them
}

template <class Record, class Char>
Record pointerForm(const BasicMailTexts<Char> &texts) {
    Record record;
    std::memset(&record, 0, sizeof record);  // no table, flatSize 0: the pointer form
    record.structSize = UXD_OPTIONS_SIZE;
    record.toNames = pointerTo(texts.to);
    record.ccNames = pointerTo(texts.cc);
    record.bccNames = pointerTo(texts.bcc);
    record.subject = pointerTo(texts.subject);
    record.message = pointerTo(texts.message);
    record.profileName = pointerTo(texts.profile);
    record.password = pointerTo(texts.password);
    return record;
}

bool widenText(const std::optional<std::string> &text, std::optional<std::wstring> &wide) {
    wide.reset();
    if (!text) return true;
    wide.emplace();
    if (text->empty()) return true;
    int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text->data(), static_cast<int>(text->size()),
                                     nullptr, 0);
    if (length <= 0) return false;
    wide->resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text->data(), static_cast<int>(text->size()),
                               &(*wide)[0], length) == length;
}

}  // namespace

static_assert(sizeof(UXDWideChar) == sizeof(wchar_t), "UTF-16 texts are wchar_t on Windows");

MAPIDestinationOptions ansiOptions(const MailTexts &texts) { return pointerForm<MAPIDestinationOptions>(texts); }

MAPIDestinationOptionsW wideOptions(const WideMailTexts &texts) {
    return pointerForm<MAPIDestinationOptionsW>(texts);
}

bool widen(const MailTexts &texts, WideMailTexts &wide, std::string &error) {
    struct Pair {
        const char *option;
        const std::optional<std::string> &text;
        std::optional<std::wstring> &wide;
    } pairs[] = {{"--to", texts.to, wide.to},
                 {"--cc", texts.cc, wide.cc},
                 {"--bcc", texts.bcc, wide.bcc},
                 {"--subject", texts.subject, wide.subject},
                 {"--message", texts.message, wide.message},
                 {"--profile", texts.profile, wide.profile},
                 {"--password", texts.password, wide.password}};
    for (Pair &pair : pairs) {
        if (widenText(pair.text, pair.wide)) continue;
        error = std::string("the text of ") + pair.option + " is not valid in the ANSI code page";
        return false;
    }
    return true;
}
