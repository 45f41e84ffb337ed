// Ending an export job that the host holds.
#pragma once

#include "export_job.h"

namespace uxd {

// Puts back the working directory and the locale that setup found, then destroys the job;
// both are put back again when its logoff changed them.
void endJob(MAPIDestination *job) noexcept;

}  // namespace uxd
