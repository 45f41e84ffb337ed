// The layout of the encoded destination options: the job's seven texts and its gathered
// recipient table packed into one flat ANSI block that a host can store and hand back.
// Free of Windows, so the layout is checked natively, byte for byte.
#pragma once

#include <cstdint>

#include "flat_block.h"
#include "uxdmapi.h"

namespace uxd {

// Builds the block: header, the present texts in layout order (a null text gets offset 0
// and no bytes, an empty one a single NUL), the table, then each entry's name, address and
// entry identifier. An entry whose lpEntryID is null is stored without an identifier
// (ulEIDSize 0). On success *block is a new allocation of the seam that the caller releases
// with uxd::release, and *flatSize its size. Returns 5 for null out-values, a null table
// with a nonzero count, or content that the 16-bit sizes cannot describe (a text, the
// strings, the identifiers or the whole block above 65535 bytes); 2 when out of memory.
// *block is null after a failure and *flatSize is unchanged.
UXDResult encodeOptions(const char *const texts[kOptionTextCount], const UXDRecipDesc *entries,
                        uint32_t count, unsigned char **block, uint16_t *flatSize) noexcept;

}  // namespace uxd
