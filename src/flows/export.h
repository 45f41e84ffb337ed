// Sending the exported files of a ready job.
#pragma once

#include "export_job.h"
#include "uxdmapi.h"

namespace uxd {

// One mail with every exported file attached: the code of the send, or 2 before it.
UXDResult exportJob(MAPIDestination &job, const UXDExportRequest *request) noexcept;

}  // namespace uxd
