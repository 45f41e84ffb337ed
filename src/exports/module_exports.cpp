// The module's own entry points: starting and stopping it, its interface version, its
// error texts and its catalogue.
#include <windows.h>

#include "catalogue.h"
#include "export_job.h"
#include "module_lifecycle.h"
#include "module_state.h"
#include "uxdmapi.h"

using namespace uxd;

extern "C" {

UXDResult UXD_CALL UXDInitialize(uint32_t) noexcept {
    if (++module.useCount > 1) return UXD_SUCCESS;
    return startModule();
}

UXDResult UXD_CALL UXDTerminate(void) noexcept {
    // A stray call must not leave the count below zero: the next two UXDInitialize calls
    // would then both start the module and leak the first start.
    if (module.useCount > 0) --module.useCount;
    if (module.useCount > 0) return UXD_SUCCESS;
    stopModule();
    return UXD_SUCCESS;
}

uint16_t UXD_CALL UXDGetVersion(void) noexcept { return UXD_INTERFACE_VERSION; }

const char *UXD_CALL UXDGetErrorText(void *job) noexcept {
    if (!job) return module.moduleErrorText;
    return static_cast<MAPIDestination *>(job)->errorMessage();
}

UXDDestinationCatalogue *UXD_CALL UXDGetExportDestinationsEx(uint32_t language) noexcept {
    return catalogue::forLanguage(language);
}

UXDDestinationCatalogue *UXD_CALL UXDGetExportDestinations(void) noexcept {
    return catalogue::forLanguage(GetProductLocale());
}

}  // extern "C"
