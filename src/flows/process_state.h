// What the mail system may change in the host's process and a job puts back: the C run-time
// locale and the working directory.
#pragma once

namespace uxd {

// Makes `locale` (a name setlocale gave; null: none saved) the run-time library's locale
// again, when it differs: each entry point that calls the mail system hands the host back
// its own.
void putBackLocale(const char *locale) noexcept;

// Makes `directory` (null: none saved) the working directory again, when it differs.
void putBackDirectory(const wchar_t *directory) noexcept;

}  // namespace uxd
