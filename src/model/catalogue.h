// The destination catalogue: one entry, "xmapi", with its name and description in a
// language. Built once per language and kept until the module is unloaded.
#pragma once

#include <cstdint>

#include "uxdmapi.h"

namespace uxd::catalogue {

// The catalogue for a language (cached unless the language is 0), or null when memory
// runs out while it is built: a host is never handed a half-made record.
UXDDestinationCatalogue *forLanguage(uint32_t language) noexcept;

// Releases every catalogue handed out; runs when the module is unloaded.
void releaseAll() noexcept;

}  // namespace uxd::catalogue
