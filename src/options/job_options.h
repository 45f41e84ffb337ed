// A job's options handed back to the host, as a flat block or as a pointer-form record.
#pragma once

#include <cstdint>

#include "export_job.h"
#include "uxdmapi.h"

namespace uxd {

// Resolves the job's lists and encodes its texts and recipients as a flat block that the
// job owns until the next encode or its end; the previous block stays when resolving fails.
UXDResult encodeJobOptions(MAPIDestination *job, void **block, uint16_t *size) noexcept;

// The job's texts and resolved recipients as a pointer-form record for the host.
UXDResult decodeJobOptions(MAPIDestination *job, MAPIDestinationOptions **record) noexcept;

}  // namespace uxd
