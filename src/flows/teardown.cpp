// Ending a job: the process gets back the working directory and locale it had before setup.
#include "teardown.h"

#include "process_state.h"

namespace uxd {

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
