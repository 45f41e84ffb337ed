// The seven texts of an options record, in the order of its layout: the order in which a
// flat block stores them and the job keeps them. Free of Windows.
#pragma once

#include <cstddef>

#include "uxdmapi.h"

namespace uxd {

enum OptionText { kToNames, kCcNames, kBccNames, kSubject, kMessage, kProfileName, kPassword };
constexpr int kOptionTextCount = 7;

// Byte offset of each text's field, for records in either form.
constexpr std::size_t kOptionTextField[kOptionTextCount] = {
    offsetof(MAPIDestinationOptions, toNames),     offsetof(MAPIDestinationOptions, ccNames),
    offsetof(MAPIDestinationOptions, bccNames),    offsetof(MAPIDestinationOptions, subject),
    offsetof(MAPIDestinationOptions, message),     offsetof(MAPIDestinationOptions, profileName),
    offsetof(MAPIDestinationOptions, password)};

}  // namespace uxd
