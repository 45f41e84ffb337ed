// Starting and stopping the module as a whole, its interface version and its error texts.
#include <windows.h>

#include <cstring>

#include "allocation.h"
#include "export_job.h"
#include "module_state.h"
#include "resource_ids.h"
#include "uxdmapi.h"

namespace uxd {
namespace {

constexpr wchar_t kResourceLibraryPattern[] = L"pelmo%L.%X";

bool mailSettingOn() noexcept { return GetProfileIntA("Mail", "MAPI", 0) != 0; }

bool mapiLibraryPresent() noexcept {
    HMODULE library = LoadLibraryA("MAPI32.DLL");
    if (!library) return false;
    FreeLibrary(library);  // only a test that the mail system is there
    return true;
}

void closeResourceSession() noexcept {
    if (module.resourceSession) RMTermResMgrSession(module.resourceSession);
    module.resourceSession = nullptr;
}

UXDResult startModule() noexcept {
    if (!mailSettingOn() || !mapiLibraryPresent()) return UXD_E_MAIL_UNAVAILABLE;
    module.resourceSession =
        RMInitResMgrSession(module.moduleInstance, 0, kResourceLibraryPattern, 1);

    char name[256];
    if (!RMLoadStringA(module.resourceSession, kDefaultLanguage, IDS_DESTINATION_NAME, name, 255)) {
        closeResourceSession();
        return UXD_E_MAIL_UNAVAILABLE;
    }
    name[255] = '\0';
    module.defaultName = duplicateText(name);
    if (!module.defaultName) {
        closeResourceSession();
        return UXD_E_OUT_OF_MEMORY;
    }

    char description[1024] = "";
    RMLoadStringA(module.resourceSession, kDefaultLanguage, IDS_DESTINATION_DESCRIPTION,
                  description, 1020);
    description[1020] = '\0';
    module.defaultDescription = duplicateText(description);
    if (!module.defaultDescription) {
        closeResourceSession();
        return UXD_E_OUT_OF_MEMORY;
    }
    return UXD_SUCCESS;
}

}  // namespace
}  // namespace uxd

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
    closeResourceSession();
    release(module.defaultName);
    release(module.defaultDescription);
    module.defaultName = nullptr;
    module.defaultDescription = nullptr;
    return UXD_SUCCESS;
}

uint16_t UXD_CALL UXDGetVersion(void) noexcept { return UXD_INTERFACE_VERSION; }

const char *UXD_CALL UXDGetErrorText(void *job) noexcept {
    if (!job) return module.moduleErrorText;
    return static_cast<MAPIDestination *>(job)->errorMessage();
}

}  // extern "C"
