// The machine's side of `uxdsend check`; see check_probes.h.
#include "check_probes.h"

#include <windows.h>
#include <mapi.h>

#include "explanations.h"
#include "mail_client.h"
#include "pe_machine.h"
#include "uxdmapi.h"

namespace {

const char kSimpleOnlyRemedy[] =
    "send with recipients resolved and saved before (uxdsend send --save-options FILE where names resolve, then "
    "--options FILE), or install a mail client with Extended MAPI";

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

// One of the client's DLLs; true when it is there and loadable into this 64-bit process.
// `failing` is the code a send meets when it is not.
bool checkClientDll(Findings &findings, const char *value, const std::optional<std::string> &registered,
                    bool needed, int failing) {
    auto fail = [&](const std::string &found, const std::string &remedy) {
        if (needed) findings.problem(value, found, remedy, failing);
        else findings.warning(value, found, remedy);
        return false;
    };
    if (!registered || registered->empty())
        return fail("not registered", "reinstall the mail client, or make another client the default");
    std::string path = locateDll(*registered);
    PeImage image = readPeImage(path);
    if (path.empty() || image.kind == PeImage::Missing)
        return fail(*registered + " is missing", "reinstall the mail client, or make another client the default");
    if (image.kind == PeImage::NotPe) return fail(path + " is not a DLL", "reinstall the mail client");
    if (image.machine != IMAGE_FILE_MACHINE_AMD64)
        return fail(path + " is " + describeMachine(image.machine) + ": it cannot be loaded into uxdsend or a 64-bit host",
                    "install the mail client's 64-bit edition, or a 64-bit mail client");
    findings.ok(value, path + ", " + describeMachine(image.machine));
    return true;
}

void checkExtendedDll(Findings &findings, MailSetup &setup, const MailClient &client) {
    if (!setup.addressBookPath && (!client.dllPathEx || client.dllPathEx->empty())) {
        findings.ok("DLLPathEx", "not registered: the client offers Simple MAPI only, which is all Windows Vista needs");
        return;
    }
    // From Windows 7 on the plug-in resolves every name through Extended MAPI.
    if (setup.addressBookPath && (!client.dllPathEx || client.dllPathEx->empty())) {
        findings.warning("DLLPathEx",
                         "not registered: the client offers Simple MAPI only, so on this Windows every silent send by "
                         "name fails (error 2147500037 of MAPIResolveName)",
                         kSimpleOnlyRemedy, UXD_E_FAILURE);
        return;
    }
    setup.clientExtended = checkClientDll(findings, "DLLPathEx", client.dllPathEx, setup.addressBookPath, UXD_E_FAILURE);
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
                               (setup.addressBookPath ? "the Extended MAPI address book (Windows 7 and later)"
                                                      : "Simple MAPI's MAPIResolveName (before Windows 7)"));
}

void checkMailClient(Findings &findings, MailSetup &setup) {
    MailClient client = registeredMailClient();
    if (client.name.empty()) {
        findings.problem("mail client", "none is the default (HKCU and HKLM Software\\Clients\\Mail name none)",
                         "install a mail client and make it the default", UXD_E_MAIL_UNAVAILABLE);
        return;
    }
    std::string where = client.hive + "\\Software\\Clients\\Mail";
    if (!client.keyFound) {
        findings.problem("mail client", quoted(client.name) + ", named by " + where + ", has no key of its own",
                         "reinstall the mail client, or make another client the default", UXD_E_MAIL_UNAVAILABLE);
        return;
    }
    findings.ok("mail client", quoted(client.name) + " (the default in " + where + ")");
    setup.clientUsable = checkClientDll(findings, "DLLPath", client.dllPath, true, UXD_E_MAIL_UNAVAILABLE);
    if (setup.clientUsable) checkExtendedDll(findings, setup, client);
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
    else if (setup.addressBookPath)
        findings.problem("Extended MAPI", "missing: " + missing + ", so every name fails to resolve", kSimpleOnlyRemedy,
                         UXD_E_FAILURE);
    else findings.warning("Extended MAPI", "missing: " + missing, "none needed before Windows 7");
    checkLogon(findings, mapi.handle, profile, password);
}
