// Ending a job: the process gets back the working directory and locale it had before setup.
#include <windows.h>

#include <clocale>

#include "teardown.h"

namespace uxd {

void endJob(MAPIDestination *job) noexcept {
    if (job->savedDirectory) SetCurrentDirectoryW(job->savedDirectory);
    if (job->savedLocale) std::setlocale(LC_ALL, job->savedLocale);
    destroy(job);
}

}  // namespace uxd
