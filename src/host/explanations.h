// What a failure that people meet often means and what to try, in words, for the line that
// uxdsend adds under the plug-in's own error text.
#pragma once

#include <cstdint>
#include <string>

// The advice for a UXD code and the plug-in's error text (which may be localized, or null);
// empty when the failure is not one of the well-known ones.
std::string explainFailure(int code, const char *errorText);

// The advice for a MAPI result on its own (a Simple MAPI result or an HRESULT); empty when the
// result is not a well-known one.
std::string mapiResultAdvice(uint32_t result);
