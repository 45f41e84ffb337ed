// Setting up an export job for the host, and ending it.
#pragma once

#include <windows.h>

#include "export_job.h"
#include "uxdmapi.h"

namespace uxd {

// Makes a ready job: silently from `options`, or through the Send Mail dialog when they
// are null. On failure the job is discarded, its text kept for UXDGetErrorText(NULL), and
// *jobOut stays null.
UXDResult setUpJob(HWND parent, const MAPIDestinationOptions *options, const UXDExportRecord *exportRecord,
                   MAPIDestination **jobOut) noexcept;

// Puts back the working directory and the locale that setup found, then destroys the job.
void endJob(MAPIDestination *job) noexcept;

}  // namespace uxd
