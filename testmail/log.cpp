// Writing the call log; see log.h. The file is opened for each call and closed again, so a
// test can read it at any time and several processes can append to one file.
#include "log.h"

#include <cstdio>

#include "handle.h"
#include "state.h"
#include "text.h"

namespace testmail {
namespace {

std::string escaped(char c) {
    switch (c) {
    case '"': return "\\\"";
    case '\r': return "\\r";
    case '\n': return "\\n";
    case '\t': return "\\t";
    }
    if (static_cast<unsigned char>(c) >= 0x20) return std::string(1, c);
    char code[8];
    std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned char>(c));
    return code;
}

void append(const std::string &path, const std::string &text) {
    Handle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file.open() && text.size() <= MAXDWORD)
        WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

std::string quoted(const char *value) {
    if (!value) return "null";
    std::string text = "\"";
    for (const char *p = value; *p; ++p) text += escaped(*p);
    return text + "\"";
}

LogLine::LogLine(const char *function) : lines_{function} {}

LogLine &LogLine::hex(const char *key, ULONG_PTR value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    current() += std::string(" ") + key + "=" + text;
    return *this;
}

LogLine &LogLine::number(const char *key, long long value) {
    current() += std::string(" ") + key + "=" + std::to_string(value);
    return *this;
}

LogLine &LogLine::text(const char *key, const char *value) {
    current() += std::string(" ") + key + "=" + quoted(value);
    return *this;
}

LogLine &LogLine::text(const char *key, const std::string &value) { return text(key, value.c_str()); }

LogLine &LogLine::text(const char *key, const void *value, bool wide) {
    if (!wide || !value) return text(key, static_cast<const char *>(value));
    return text(key, wideToAnsi(static_cast<const wchar_t *>(value)));
}

LogLine &LogLine::secret(const char *key, const void *value, bool wide) {
    bool empty = !value || (wide ? !*static_cast<const wchar_t *>(value) : !*static_cast<const char *>(value));
    return text(key, empty ? static_cast<const char *>(value) ? "" : nullptr : "***");
}

LogLine &LogLine::word(const char *key, const std::string &value) {
    current() += std::string(" ") + key + "=" + value;
    return *this;
}

LogLine &LogLine::bytes(const char *key, const void *data, std::size_t size) {
    current() += std::string(" ") + key + "=" + hexBytes(data, size);
    return *this;
}

LogLine &LogLine::simpleResult(ULONG result) {
    current_ = 0;
    current() += " -> " + std::to_string(result);
    return *this;
}

LogLine &LogLine::comResult(HRESULT result) {
    current_ = 0;
    return detailResult(result);
}

LogLine &LogLine::detailResult(HRESULT result) {
    char text[16] = "0";
    if (result != S_OK) std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(result));
    current() += std::string(" -> ") + text;
    return *this;
}

LogLine &LogLine::detail(const char *what) {
    lines_.push_back(std::string("  ") + what);
    current_ = lines_.size() - 1;
    return *this;
}

void LogLine::write() const {
    const std::string &path = config().logPath;
    if (path.empty()) return;
    std::string text;
    for (const std::string &line : lines_) text += line + "\r\n";
    append(path, text);
}

}  // namespace testmail
