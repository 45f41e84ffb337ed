// The call log a test reads back: one line per call, "Function key=value ... -> result ...",
// then indented detail lines. Pointer-sized values and flags in hex, strings quoted (null
// unquoted), entry ids as hex bytes. Written only when the configuration names a log file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testmail {

class LogLine {
public:
    explicit LogLine(const char *function);

    LogLine &hex(const char *key, ULONG_PTR value);         // key=0x1A
    LogLine &number(const char *key, long long value);      // key=-1
    LogLine &text(const char *key, const char *value);      // key="..." or key=null
    LogLine &text(const char *key, const std::string &value);
    LogLine &text(const char *key, const void *value, bool wide);  // Extended MAPI's LPTSTR
    // key="***" for a password that was given (key="" and key=null as text() writes them):
    // the log is a file that others can read.
    LogLine &secret(const char *key, const void *value, bool wide = false);
    LogLine &word(const char *key, const std::string &value);  // key=value, unquoted
    LogLine &bytes(const char *key, const void *data, std::size_t size);  // key=A1A2
    // The result goes on the call's line, and so does every value given after it.
    LogLine &simpleResult(ULONG result);                     // " -> 14"
    LogLine &comResult(HRESULT result);                      // " -> 0" or " -> 0x80040102"
    LogLine &detailResult(HRESULT result);                   // the same, on the current detail line

    // Starts an indented line, "  what"; the values given next go on it.
    LogLine &detail(const char *what);

    void write() const;  // appends the call's lines to the log in one piece

private:
    std::string &current() { return lines_[current_]; }
    std::vector<std::string> lines_;  // the call's line, then the detail lines
    std::size_t current_ = 0;
};

std::string quoted(const char *value);

}  // namespace testmail
