// The one table of well-known failures; see explanations.h.
#include "explanations.h"

#include <windows.h>
#include <mapi.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "hex_text.h"
#include "uxdmapi.h"

namespace {

// A failure is known by the UXD code alone, or by the MAPI result that the error text names.
enum class Key { Code, Result };

struct Explanation {
    Key key;
    uint32_t value;
    const char *advice;
};

const Explanation kExplanations[] = {
    {Key::Code, uint32_t(UXD_E_MAIL_UNAVAILABLE),
     "mail is switched off in WIN.INI ([Mail] MAPI=1 switches it on), or no mail client is registered for "
     "MAPI32.DLL to hand mail to; uxdsend check tells which"},
    {Key::Code, uint32_t(UXD_E_NOT_SUPPORTED), "the mail client does not do what was asked; try another client"},
    // Extended MAPI's address book, from Windows 7 on.
    {Key::Result, 0x8004010F, "no address-book entry matches the name: check its spelling, or give it as the "
                              "address book has it"},
    {Key::Result, 0x80040700, "several address-book entries match the name: give more of it"},
    {Key::Result, 0x80004005, "the mail client's address book failed without saying why; try the name in the "
                              "client's own address book"},
    // Simple MAPI's results, as the plug-in reports them in "Error N returned by function <F>".
    {Key::Result, MAPI_E_FAILURE, "the mail client failed without saying why; try the same in the client itself"},
    {Key::Result, MAPI_E_LOGON_FAILURE, "the mail client refused the logon: check --profile and --password"},
    {Key::Result, MAPI_E_ACCESS_DENIED, "the mail client denied access: check the profile's rights"},
    {Key::Result, MAPI_E_TOO_MANY_SESSIONS, "the mail client has too many sessions open: close some, or restart it"},
    {Key::Result, MAPI_E_TOO_MANY_FILES, "too many attachments for the mail client: send fewer files per mail"},
    {Key::Result, MAPI_E_TOO_MANY_RECIPIENTS, "too many recipients for the mail client: split the mail"},
    {Key::Result, MAPI_E_ATTACHMENT_NOT_FOUND, "the mail client did not find an attached file: give FILEs it can "
                                               "reach by their full path"},
    {Key::Result, MAPI_E_ATTACHMENT_OPEN_FAILURE, "the mail client could not open an attached file: is it locked "
                                                  "or unreadable?"},
    {Key::Result, MAPI_E_ATTACHMENT_WRITE_FAILURE, "the mail client could not write an attachment: check its disk"},
    {Key::Result, MAPI_E_UNKNOWN_RECIPIENT, "the mail client knows no such recipient: check the names"},
    {Key::Result, MAPI_E_BAD_RECIPTYPE, "the mail client refused a recipient's kind (To, Cc, Bcc)"},
    {Key::Result, MAPI_E_TEXT_TOO_LARGE, "the message text is too long for the mail client: shorten it"},
    {Key::Result, MAPI_E_INVALID_SESSION, "the mail client's session has ended: try again"},
    {Key::Result, MAPI_E_AMBIGUOUS_RECIPIENT, "a name matches several entries: give more of it"},
    {Key::Result, MAPI_E_NETWORK_FAILURE, "the mail client cannot reach its server: check the network"},
    {Key::Result, MAPI_E_INVALID_RECIPS, "a recipient's address is not valid: check the names"},
};

bool isMapiFunction(const char *name, std::size_t length) {
    for (const char *function : {"MAPILogon", "MAPISendMail", "MAPIResolveName", "MAPIAddress"})
        if (std::strlen(function) == length && !std::strncmp(name, function, length)) return true;
    return false;
}

// The MAPI result in "Error N returned by function <F>." in whatever language: the number that
// comes last before a MAPI function's name in angle brackets. A recipient's name in a "no match"
// text is in angle brackets too, so the bracket must hold a function.
bool resultIn(const char *text, uint32_t &result) {
    for (const char *open = text ? std::strchr(text, '<') : nullptr; open; open = std::strchr(open + 1, '<')) {
        const char *close = std::strchr(open, '>');
        if (!close || !isMapiFunction(open + 1, static_cast<std::size_t>(close - open - 1))) continue;
        const char *end = open;
        while (end > text && !std::isdigit(static_cast<unsigned char>(end[-1]))) --end;
        const char *start = end;
        while (start > text && std::isdigit(static_cast<unsigned char>(start[-1]))) --start;
        if (start == end || end - start > 10) return false;
        unsigned long long value = std::strtoull(start, nullptr, 10);
        if (value > 0xFFFFFFFFull) return false;
        result = static_cast<uint32_t>(value);
        return true;
    }
    return false;
}

std::string describe(const Explanation &explanation) {
    if (explanation.key == Key::Code || explanation.value < 0x80000000u) return explanation.advice;
    return hexText(explanation.value, 8) + ": " + explanation.advice;
}

}  // namespace

std::string explainFailure(int code, const char *errorText) {
    uint32_t result = 0;
    const bool named = code == UXD_E_FAILURE && resultIn(errorText, result);
    for (const Explanation &explanation : kExplanations) {
        if (named ? explanation.key == Key::Result && explanation.value == result
                  : explanation.key == Key::Code && explanation.value == uint32_t(code))
            return describe(explanation);
    }
    return std::string();
}

std::string mapiResultAdvice(uint32_t result) {
    for (const Explanation &explanation : kExplanations)
        if (explanation.key == Key::Result && explanation.value == result) return explanation.advice;
    return std::string();
}
