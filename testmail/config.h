// What a test scripts for the test mail system: where to log and write mail, the address
// book, forced results and the address book "dialog"'s picks. Read from the INI file that
// UXD_TESTMAIL_CONFIG names.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "text.h"

namespace testmail {

struct BookEntry {
    std::string name;
    std::string address;  // as configured, e.g. "SMTP:ann@example.com"
    Bytes entryId;
};

struct Pick {
    std::string name;
    unsigned long recipClass = 1;  // MAPI_TO
};

struct Config {
    std::string logPath;  // empty: no log
    std::string outboxPath;
    // [files] keep=no: messages are composed and checked as always but not written, so that
    // long runs and benchmarks measure the sender, not the disk.
    bool keepMail = true;
    std::vector<BookEntry> book;
    std::map<std::string, std::vector<unsigned long>> results;  // function -> successive results
    std::map<std::string, unsigned long> resolve;               // lower-cased typed name -> result
    bool pickCancel = false;
    std::vector<Pick> picks;
    // [disturb]: what the calls named in `in` (e.g. "MAPILogon,MAPISendMail") do to the
    // process, as real mail clients do while they work: move the working directory, change the
    // C run-time's locale. Empty: nothing.
    std::vector<std::string> disturbIn;
    std::string disturbDirectory;
    std::string disturbLocale;
    // [logon] password: when set, a logon with any other password is refused, as a profile
    // with a password would be. The log never shows a password, so this is how a test learns
    // that the right one arrived.
    std::string logonPassword;
};

// The file UXD_TESTMAIL_CONFIG names, or the defaults when it is unset or missing.
Config readConfig();

}  // namespace testmail
