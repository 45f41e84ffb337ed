// Ending a job: the process gets back the working directory and locale it had before setup.
#include <windows.h>

#include <clocale>
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
}  // namespace

void endJob(MAPIDestination *job) noexcept {
    if (job->savedDirectory && !isCurrentDirectory(job->savedDirectory)) SetCurrentDirectoryW(job->savedDirectory);
    if (job->savedLocale) std::setlocale(LC_ALL, job->savedLocale);
    destroy(job);
}

}  // namespace uxd
