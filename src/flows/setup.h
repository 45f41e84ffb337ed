// Setting up an export job for the host.
#pragma once

#include <windows.h>

#include "export_job.h"
#include "uxdmapi.h"

namespace uxd {

// Makes a ready job: silently from `options`, or through the Send Mail dialog when they
// are null. On failure the job is discarded, its text kept for UXDGetErrorText(NULL), and
// *jobOut is not written.
UXDResult setUpJob(HWND parent, const MAPIDestinationOptions *options, const UXDExportRecord *exportRecord,
                   MAPIDestination **jobOut) noexcept;

}  // namespace uxd
