// The default mail client as MAPI32.DLL's stub finds it, read without loading MAPI32.DLL: with
// no client to hand calls to, the stub answers the first mail call with a modal box that
// waits for a user, which stalls an unattended host. The plug-in's first UXDInitialize and
// `uxdsend check` both judge a machine by this one reading.
#pragma once

#include <windows.h>

#include <cstdint>

namespace uxd {

// Room for one registry text, expanded; a longer value is of no use to the stub either.
constexpr DWORD kRegisteredTextSize = 1024;

// Plain data, filled in by the reading: no initializers, which would put a zeroed copy of these
// kilobytes into the image.
struct RegisteredText {
    enum State : uint8_t {
        Absent,    // no such value (or an empty one)
        Text,      // a string, in `text`
        Unusable,  // not a string, or longer than the room for it
    } state;
    char text[kRegisteredTextSize];
    bool present() const noexcept { return state == Text; }
};

struct MailClientRegistration {
    bool perUser;            // the default is named under HKCU, not the machine's HKLM
    RegisteredText name;     // Software\Clients\Mail's default value
    bool keyFound;           // the client's own key
    RegisteredText dllPath, dllPathEx, msiComponentId;
};

// Reads the default client: the per-user choice where one is set, else the machine's; the
// client's key in the hive that names it, else in the machine's.
void readMailClientRegistration(MailClientRegistration &client) noexcept;

// What a registered DLL value leads to, judged without loading it.
enum class ClientDll : uint8_t {
    NotRegistered,  // absent
    Unusable,       // not a string, or too long
    SearchedName,   // not a full path: the loader's search decides, so it may well be there
    Missing,        // a full path to nothing
    Directory,      // a full path to a folder
    NotImage,       // a file without a PE header
    OtherMachine,   // a DLL for another processor (a 32-bit client in a 64-bit process)
    Loadable,       // a DLL for this process's processor
};
// `machine`, when given, receives the PE header's machine type of an image.
ClientDll examineClientDll(const RegisteredText &value, uint16_t *machine = nullptr) noexcept;

// True unless the stub certainly finds no client: no default, no key, or a key whose
// MSIComponentID, DLLPath and DLLPathEx give nothing it could load.
bool mailClientAvailable(const MailClientRegistration &client) noexcept;

}  // namespace uxd
