// A sent message as an RFC 5322 file: fixed sender, To and Cc headers, the note as a UTF-8
// text part and each attachment as a base64 part, so a test can decode and compare them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testmail {

struct MailAddress {
    std::string name;     // ANSI, as the caller gave it
    std::string address;  // without the "SMTP:" prefix
};

struct MailFile {
    std::string name;  // ANSI file name shown to the recipient
    std::string content;
};

struct Mail {
    std::string subject;  // ANSI
    std::string note;     // ANSI
    std::vector<MailAddress> to, cc;
    std::vector<MailFile> files;
};

std::string composeEml(const Mail &mail, const SYSTEMTIME &utc);
std::string base64Lines(const std::string &bytes);  // 76 characters a line, each ending in CRLF

}  // namespace testmail
