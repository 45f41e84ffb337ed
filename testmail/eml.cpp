// Writing a message as an RFC 5322 / MIME file; see eml.h.
#include "eml.h"

#include <cstdio>

#include "text.h"

namespace testmail {
namespace {

const char kBoundary[] = "=_uxdtestmail_part";

bool plainAscii(const std::string &text) {
    for (unsigned char c : text)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

std::string base64(const std::string &bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned long group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        text += digits[(group >> 18) & 63];
        text += digits[(group >> 12) & 63];
        text += i + 1 < bytes.size() ? digits[(group >> 6) & 63] : '=';
        text += i + 2 < bytes.size() ? digits[group & 63] : '=';
    }
    return text;
}

// RFC 2047 encoded word for text that is not plain ASCII.
std::string headerText(const std::string &ansi) {
    return plainAscii(ansi) ? ansi : "=?UTF-8?B?" + base64(ansiToUtf8(ansi)) + "?=";
}

std::string quotedString(const std::string &text) {
    std::string quoted = "\"";
    for (char c : text) quoted += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
    return quoted + "\"";
}

std::string mailbox(const MailAddress &who) {
    std::string address = "<" + who.address + ">";
    if (who.name.empty()) return address;
    if (!plainAscii(who.name)) return headerText(who.name) + " " + address;
    bool special = who.name.find_first_of("()<>[]:;@\\,.\"") != std::string::npos;
    return (special ? quotedString(who.name) : who.name) + " " + address;
}

std::string addressHeader(const char *field, const std::vector<MailAddress> &list) {
    if (list.empty()) return {};
    std::string header = std::string(field) + ": ";
    for (std::size_t i = 0; i < list.size(); ++i) header += (i ? ", " : "") + mailbox(list[i]);
    return header + "\r\n";
}

std::string dateHeader(const SYSTEMTIME &t) {
    static const char *days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char *months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "Date: %s, %02u %s %04u %02u:%02u:%02u +0000\r\n", days[t.wDayOfWeek % 7],
                  t.wDay, months[(t.wMonth + 11) % 12], t.wYear, t.wHour, t.wMinute, t.wSecond);
    return text;
}

// Every line break of the note becomes CRLF, as the file format requires.
std::string crlfLines(const std::string &text) {
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        lines += (text[i] == '\r' || text[i] == '\n') ? std::string("\r\n") : std::string(1, text[i]);
    }
    return lines;
}

std::string textPart(const std::string &note) {
    return std::string("--") + kBoundary + "\r\nContent-Type: text/plain; charset=utf-8\r\n" +
           "Content-Transfer-Encoding: 8bit\r\n\r\n" + crlfLines(ansiToUtf8(note)) + "\r\n";
}

std::string filePart(const MailFile &file) {
    std::string name = quotedString(headerText(file.name));
    return std::string("--") + kBoundary + "\r\nContent-Type: application/octet-stream; name=" + name +
           "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=" + name +
           "\r\n\r\n" + base64Lines(file.content);
}

}  // namespace

std::string base64Lines(const std::string &bytes) {
    std::string encoded = base64(bytes), lines;
    for (std::size_t i = 0; i < encoded.size(); i += 76) lines += encoded.substr(i, 76) + "\r\n";
    return lines;
}

std::string composeEml(const Mail &mail, const SYSTEMTIME &utc) {
    std::string eml = "From: uxdmapi Test Mail <testmail@localhost>\r\n";
    eml += addressHeader("To", mail.to) + addressHeader("Cc", mail.cc);
    eml += "Subject: " + headerText(mail.subject) + "\r\n" + dateHeader(utc);
    eml += std::string("MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"") + kBoundary + "\"\r\n\r\n";
    eml += textPart(mail.note);
    for (const MailFile &file : mail.files) eml += filePart(file);
    return eml + "--" + kBoundary + "--\r\n";
}

}  // namespace testmail
