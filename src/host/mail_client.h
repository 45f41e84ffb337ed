// The mail client registered as the default, read from the registry as MAPI32.DLL's stub reads
// it: the per-user choice (HKCU) before the machine's (HKLM), under Software\Clients\Mail.
#pragma once

#include <optional>
#include <string>

struct MailClient {
    std::string hive;                     // "HKCU" or "HKLM": where the default was named
    std::string name;                     // empty: no default named in either hive
    bool keyFound = false;                // the client's own key exists
    std::optional<std::string> dllPath;   // Simple MAPI; absent when the value is not there
    std::optional<std::string> dllPathEx; // Extended MAPI
};

MailClient registeredMailClient();

// A DLL path as the stub would load it: environment variables expanded, a bare name looked up
// on the search path. Empty when nothing is found.
std::string locateDll(const std::string &registered);
