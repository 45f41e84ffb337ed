// The machine's side of `uxdsend check`; see check_probes.h.
#include "check_probes.h"

#include <windows.h>
#include <mapi.h>

#include "explanations.h"
#include "mail_client_registration.h"
#include "pe_machine.h"
#include "uxdmapi.h"

namespace {

using uxd::ClientDll;
using uxd::RegisteredText;

const char kOtherClient[] = "reinstall the mail client, or make another client the default";

// The twelve entry points the plug-in binds; it refuses a MAPI32.DLL that lacks any of them.
const char *const kSimpleMapi[] = {"MAPILogon",    "MAPILogoff",     "MAPISendMail",  "MAPISendDocuments",
                                   "MAPIFindNext", "MAPIReadMail",   "MAPISaveMail",  "MAPIDeleteMail",
                                   "MAPIFreeBuffer", "MAPIAddress",  "MAPIDetails",   "MAPIResolveName"};
const char *const kExtendedMapi[] = {"MAPILogonEx", "MAPIAllocateBuffer", "MAPIFreeBuffer"};

std::string quoted(const std::string &text) { return "\"" + text + "\""; }

class Library {
public:
    explicit Library(const char *name) {
        UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        handle = LoadLibraryA(name);
        error = GetLastError();
        SetErrorMode(mode);
    }
    ~Library() {
        if (handle) FreeLibrary(handle);
    }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;
    HMODULE handle;
    DWORD error;
};

std::string missingOf(HMODULE library, const char *const *names, size_t count) {
    std::string missing;
    for (size_t i = 0; i < count; ++i)
        if (!GetProcAddress(library, names[i])) missing += (missing.empty() ? "" : ", ") + std::string(names[i]);
    return missing;
}

// Where the loader's search finds a bare name, or empty.
std::string searched(const char *name) {
    char found[MAX_PATH];
    DWORD length = SearchPathA(nullptr, name, nullptr, MAX_PATH, found, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(found, length) : std::string();
}

// One of the client's DLL values, judged as the plug-in judges it. A DLL that cannot serve is
// a problem when the client has nothing else to offer (the plug-in then returns 7), else a
// warning.
void checkClientDll(Findings &findings, const char *value, const RegisteredText &registered, bool clientUsable) {
    uint16_t machine = 0;
    ClientDll dll = uxd::examineClientDll(registered, &machine);
    const std::string path = registered.text;
    auto fail = [&](const std::string &found, const std::string &remedy) {
        if (clientUsable) findings.warning(value, found, remedy);
        else findings.problem(value, found, remedy, UXD_E_MAIL_UNAVAILABLE);
    };
    switch (dll) {
    case ClientDll::NotRegistered: return;  // told with what the client offers
    case ClientDll::Unusable: return fail("not a text, or longer than the plug-in reads", kOtherClient);
    case ClientDll::SearchedName: {
        std::string found = searched(registered.text);
        if (found.empty()) return findings.ok(value, path + ": a bare name, left to the system's search (not found "
                                                            "on this program's search path)");
        return findings.ok(value, path + ": a bare name, found at " + found);
    }
    case ClientDll::Missing: return fail(path + " is missing", kOtherClient);
    case ClientDll::Directory: return fail(path + " is a folder, not a DLL", kOtherClient);
    case ClientDll::NotImage: return fail(path + " is not a DLL", "reinstall the mail client");
    case ClientDll::OtherMachine:
        return fail(path + " is " + describeMachine(machine) + ": it cannot be loaded into uxdsend or a 64-bit host",
                    "install the mail client's 64-bit edition, or a 64-bit mail client");
    case ClientDll::Loadable: return findings.ok(value, path + ", " + describeMachine(machine));
    }
}

// What the client offers for names: with no Extended MAPI the plug-in resolves them through
// Simple MAPI on every Windows.
void checkExtendedOffer(Findings &findings, const MailSetup &setup, const uxd::MailClientRegistration &client) {
    if (client.dllPathEx.state != RegisteredText::Absent || client.msiComponentId.present()) return;
    findings.ok("DLLPathEx", setup.addressBookPath
                                 ? "not registered: names are resolved through Simple MAPI: the client offers no Extended MAPI"
                                 : "not registered: the client offers Simple MAPI only, which is all Windows Vista needs");
}

// The code the plug-in makes of a failed logon's result, as a silent send would meet it.
int logonCode(ULONG result) {
    switch (result) {
    case MAPI_USER_ABORT: return UXD_E_CANCELLED;
    case MAPI_E_DISK_FULL: return UXD_E_DISK_FULL;
    case MAPI_E_INSUFFICIENT_MEMORY: return UXD_E_OUT_OF_MEMORY;
    case MAPI_E_NOT_SUPPORTED: return UXD_E_NOT_SUPPORTED;
    default: return UXD_E_FAILURE;
    }
}

void checkLogon(Findings &findings, HMODULE mapi, const std::string &profile, const std::string &password) {
    auto logon = reinterpret_cast<LPMAPILOGON>(reinterpret_cast<void *>(GetProcAddress(mapi, "MAPILogon")));
    auto logoff = reinterpret_cast<LPMAPILOGOFF>(reinterpret_cast<void *>(GetProcAddress(mapi, "MAPILogoff")));
    if (!logon || !logoff) return;  // reported with the entry points
    LHANDLE session = 0;
    std::string who = profile.empty() ? "the default profile" : "profile " + quoted(profile);
    ULONG result = logon(0, const_cast<LPSTR>(profile.c_str()), const_cast<LPSTR>(password.c_str()), 0, 0, &session);
    if (result == SUCCESS_SUCCESS) {
        logoff(session, 0, 0, 0);
        findings.ok("logon", who + " logged on without a window");
        return;
    }
    std::string advice = mapiResultAdvice(result);
    findings.problem("logon", who + " was refused without a window: MAPILogon returned " + std::to_string(result),
                     advice.empty() ? "log on with the mail client itself to see why" : advice,
                     logonCode(result));
}

}  // namespace

void checkWinIni(Findings &findings, MailSetup &setup) {
    setup.mailOn = GetProfileIntA("Mail", "MAPI", 0) != 0;
    if (setup.mailOn) findings.ok("WIN.INI", "[Mail] MAPI=1");
    else
        findings.problem("WIN.INI", "[Mail] MAPI is 0 or missing, so the plug-in refuses to start",
                         "set MAPI=1 in the [Mail] section of WIN.INI", UXD_E_MAIL_UNAVAILABLE);
}

void checkWindowsVersion(Findings &findings, MailSetup &setup) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);  // the plug-in chooses its path from what this says
#pragma GCC diagnostic pop
    setup.addressBookPath = version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 1);
    findings.ok("Windows", std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) +
                               " (build " + std::to_string(version.dwBuildNumber) + "): names are resolved through " +
                               (setup.addressBookPath ? "the Extended MAPI address book where the client offers one, "
                                                        "else Simple MAPI (Windows 7 and later)"
                                                      : "Simple MAPI's MAPIResolveName (before Windows 7)"));
}

void checkMailClient(Findings &findings, MailSetup &setup) {
    uxd::MailClientRegistration client;
    uxd::readMailClientRegistration(client);
    setup.clientUsable = uxd::mailClientAvailable(client);
    if (client.name.state == RegisteredText::Unusable) {
        findings.problem("mail client", "Software\\Clients\\Mail names the default with a value that is not a text, "
                                        "or too long", "make a mail client the default again", UXD_E_MAIL_UNAVAILABLE);
        return;
    }
    if (!client.name.present()) {
        findings.problem("mail client", "none is the default (HKCU and HKLM Software\\Clients\\Mail name none)",
                         "install a mail client and make it the default", UXD_E_MAIL_UNAVAILABLE);
        return;
    }
    std::string where = std::string(client.perUser ? "HKCU" : "HKLM") + "\\Software\\Clients\\Mail";
    if (!client.keyFound) {
        findings.problem("mail client", quoted(client.name.text) + ", named by " + where + ", has no key of its own",
                         kOtherClient, UXD_E_MAIL_UNAVAILABLE);
        return;
    }
    findings.ok("mail client", quoted(client.name.text) + " (the default in " + where + ")");
    if (client.msiComponentId.present())
        findings.ok("MSIComponentID", std::string(client.msiComponentId.text) + ": the installer finds the client's DLL");
    if (client.dllPath.state == RegisteredText::Absent && client.dllPathEx.state == RegisteredText::Absent &&
        !client.msiComponentId.present())
        findings.problem("DLLPath", "not registered, nor DLLPathEx or MSIComponentID: no DLL to hand calls to",
                         kOtherClient, UXD_E_MAIL_UNAVAILABLE);
    checkClientDll(findings, "DLLPath", client.dllPath, setup.clientUsable);
    checkClientDll(findings, "DLLPathEx", client.dllPathEx, setup.clientUsable);
    if (setup.clientUsable) checkExtendedOffer(findings, setup, client);
}

void checkMapi32(Findings &findings, const MailSetup &setup, const std::string &profile, const std::string &password) {
    if (!setup.clientUsable) {
        findings.problem("MAPI32.DLL", "not loaded: with no usable mail client it shows a message box that waits for a user",
                         "fix the mail client first", UXD_E_MAIL_UNAVAILABLE);
        return;
    }
    Library mapi("MAPI32.DLL");
    if (!mapi.handle) {
        findings.problem("MAPI32.DLL", "cannot be loaded (system error " + std::to_string(mapi.error) + ")",
                         "reinstall the mail client", UXD_E_MAIL_UNAVAILABLE);
        return;
    }
    char path[MAX_PATH] = "";
    GetModuleFileNameA(mapi.handle, path, MAX_PATH);
    findings.ok("MAPI32.DLL", path);
    std::string missing = missingOf(mapi.handle, kSimpleMapi, std::size(kSimpleMapi));
    if (missing.empty()) findings.ok("Simple MAPI", "all 12 entry points the plug-in binds");
    else findings.problem("Simple MAPI", "missing: " + missing, "reinstall the mail client", UXD_E_FAILURE);
    missing = missingOf(mapi.handle, kExtendedMapi, std::size(kExtendedMapi));
    if (missing.empty()) findings.ok("Extended MAPI", "MAPILogonEx, MAPIAllocateBuffer and MAPIFreeBuffer");
    else findings.ok("Extended MAPI", "missing: " + missing + ", so names are resolved through Simple MAPI");
    checkLogon(findings, mapi.handle, profile, password);
}
