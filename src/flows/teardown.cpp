// Ending a job: the process gets back the working directory and locale it had before setup.
#include <windows.h>

#include <clocale>
#include <cstring>
#include <cwchar>

#include "teardown.h"

namespace uxd {
namespace {
// Setting the directory costs more than reading it, and mostly nothing changed it.
bool isCurrentDirectory(const wchar_t *directory) noexcept {
    wchar_t current[MAX_PATH + 1];
    DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, current);
    return length != 0 && length <= MAX_PATH && std::wcscmp(current, directory) == 0;
}

void putBackDirectory(const wchar_t *directory) noexcept {
    if (directory && !isCurrentDirectory(directory)) SetCurrentDirectoryW(directory);
}
}  // namespace

void putBackLocale(const char *locale) noexcept {
    // Setting a locale makes the run-time library parse and load it; reading it costs little.
    if (!locale) return;
    const char *current = std::setlocale(LC_ALL, nullptr);
    if (!current || std::strcmp(current, locale) != 0) std::setlocale(LC_ALL, locale);
}

void endJob(MAPIDestination *job) noexcept {
    // The job's destructor logs off, and a mail system may change both once more then: the
    // saved values outlive the job and are put back again after it.
    owned_block<wchar_t> directory(job->savedDirectory.release());
    owned_block<char> locale(job->savedLocale.release());
    putBackDirectory(directory);
    putBackLocale(locale);
    destroy(job);
    putBackDirectory(directory);
    putBackLocale(locale);
}

}  // namespace uxd
