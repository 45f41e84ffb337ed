// The module-wide state and its one writer of the module error text.
#include "module_state.h"

#include <cstring>

namespace uxd {

ModuleState module;

void setModuleErrorText(const char *text) noexcept {
    if (!text) text = "";
    size_t length = std::strlen(text);
    if (length > kModuleErrorTextSize - 1) length = kModuleErrorTextSize - 1;
    std::memcpy(module.moduleErrorText, text, length);
    module.moduleErrorText[length] = '\0';
}

}  // namespace uxd
