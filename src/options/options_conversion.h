// Converting a destination options record between its ANSI and UTF-16 forms, for hosts that
// keep their mail settings in UTF-16. Free of Windows: the code page comes through
// codepage.h, so the conversions run natively under the sanitizers and the fuzzer.
#pragma once

#include <cstdint>

#include "uxdmapi.h"

namespace uxd {

// Each keeps the form of its source. A flat source (W2A: structSize 70 or more with a
// nonzero flatSize; A2W: structSize exactly 70 with a nonzero flatSize) is checked with
// readFlatBlock and gives a flat block; a pointer-form source (structSize 70, flatSize 0)
// gives a pointer-form record; any other structSize gives an empty pointer-form record.
// A null source returns 0 and no result. On success *result belongs to the caller, who
// releases it with UXDFreeDestinationOptions, and *size (when size is not null) is the
// block's flatSize, or 0 for a pointer-form result.
//   5: null result argument; a malformed flat source; a flat result the 16-bit sizes cannot
//      describe; a pointer-form source with entries but no table; a text the code page
//      cannot convert.
//   2: out of memory for a flat block, a record, a table or a conversion buffer.
// As for the other option records handed out, a pointer-form string or entry identifier
// whose own allocation fails is left null, and that is not reported.
UXDResult convertOptionsW2A(const MAPIDestinationOptionsW *source, MAPIDestinationOptions **result,
                            uint16_t *size) noexcept;
UXDResult convertOptionsA2W(const MAPIDestinationOptions *source, MAPIDestinationOptionsW **result,
                            uint16_t *size) noexcept;

}  // namespace uxd
