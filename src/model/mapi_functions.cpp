// The Simple MAPI table's storage, and the job's logoff through it.
#include "mapi_functions.h"

#include "export_job.h"

namespace uxd {

SimpleMapiTable simpleMapi;

void logoffSimpleMapi(MAPIDestination &job) noexcept {
    if (simpleMapi.logoff && job.session)
        simpleMapi.logoff(job.session, static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(job.parentWindow)), 0, 0);
}

}  // namespace uxd
