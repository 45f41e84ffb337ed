// Ending an export job that the host holds.
#pragma once

#include "export_job.h"

namespace uxd {

// Puts back the working directory and the locale that setup found, then destroys the job;
// both are put back again when its logoff changed them.
void endJob(MAPIDestination *job) noexcept;

// Makes `locale` (a name setlocale gave; null: none saved) the run-time library's locale
// again: each entry point that calls the mail system hands the host back its own.
void putBackLocale(const char *locale) noexcept;

}  // namespace uxd
