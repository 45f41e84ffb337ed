// Starting and stopping the module as a whole: the mail system's presence, the resource
// session and the catalogue's default texts.
#include "module_lifecycle.h"

#include <windows.h>

#include "allocation.h"
#include "mail_client_registration.h"
#include "module_state.h"
#include "resource_ids.h"

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

// Read before any mail call: with no client to hand calls to, MAPI32.DLL answers the first
// one with a modal box that waits for a user, which would stall an unattended host.
bool mailClientRegistered() noexcept {
    MailClientRegistration client;
    readMailClientRegistration(client);
    return mailClientAvailable(client);
}

void closeResourceSession() noexcept {
    if (module.resourceSession) RMTermResMgrSession(module.resourceSession);
    module.resourceSession = nullptr;
}

}  // namespace

UXDResult startModule() noexcept {
    if (!mailSettingOn() || !mapiLibraryPresent() || !mailClientRegistered()) return UXD_E_MAIL_UNAVAILABLE;
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

void stopModule() noexcept {
    closeResourceSession();
    release(module.defaultName);
    release(module.defaultDescription);
    module.defaultName = nullptr;
    module.defaultDescription = nullptr;
}

}  // namespace uxd

