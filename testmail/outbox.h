// The outbox folder: each sent message becomes the next free message-NNNN.eml in it.
#pragma once

#include <string>

namespace testmail {

// The written file's path, or an empty string when the folder or file cannot be written.
std::string writeToOutbox(const std::string &folder, const std::string &content);

}  // namespace testmail
