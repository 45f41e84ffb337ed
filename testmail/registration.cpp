// Registration as the default mail client, the way mail clients make MAPI32.DLL route to them:
// HKLM\Software\Clients\Mail names the client, and the client's key gives the DLL for Simple
// MAPI (DLLPath) and for Extended MAPI (DLLPathEx). A client stays registered at every step:
// without one, MAPI32.DLL shows a modal box, which would hang an unattended test.
//   regsvr32 uxdtestmail.dll                 Simple and Extended MAPI (DllRegisterServer)
//   regsvr32 /n /i:simple uxdtestmail.dll    Simple MAPI only, as most mail clients register
//   regsvr32 /u uxdtestmail.dll              Wine's own client the default again
#include <windows.h>
#include <olectl.h>

#include <string>

#include "module.h"

namespace {

const wchar_t kMailKey[] = L"Software\\Clients\\Mail";
const wchar_t kClient[] = L"uxdmapi Test Mail";
const wchar_t kWineClient[] = L"Native Mail Client";

class Key {
public:
    Key(HKEY parent, const wchar_t *path) : status_(RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                                     nullptr, &key_, nullptr)) {}
    ~Key() {
        if (status_ == ERROR_SUCCESS) RegCloseKey(key_);
    }
    Key(const Key &) = delete;
    Key &operator=(const Key &) = delete;

    LONG status() const { return status_; }
    HKEY get() const { return key_; }
    LONG set(const wchar_t *name, const std::wstring &value) const {
        DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()), bytes);
    }

private:
    HKEY key_ = nullptr;
    LONG status_;
};

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(testmail::moduleInstance(), &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

HRESULT fromStatus(LONG status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

enum class Kind { Full, SimpleOnly };

LONG writeClientKey(const Key &mail, const std::wstring &path, Kind kind) {
    Key client(mail.get(), kClient);
    LONG status = client.status();
    if (status == ERROR_SUCCESS) status = client.set(nullptr, kClient);
    if (status == ERROR_SUCCESS) status = client.set(L"DLLPath", path);
    if (status == ERROR_SUCCESS && kind == Kind::Full) status = client.set(L"DLLPathEx", path);
    if (status == ERROR_SUCCESS && kind == Kind::SimpleOnly) {
        status = RegDeleteValueW(client.get(), L"DLLPathEx");
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    return status;
}

HRESULT registerClient(Kind kind) {
    std::wstring path = modulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    Key mail(HKEY_LOCAL_MACHINE, kMailKey);
    LONG status = mail.status();
    if (status == ERROR_SUCCESS) status = writeClientKey(mail, path, kind);  // the client first,
    if (status == ERROR_SUCCESS) status = mail.set(nullptr, kClient);  // then point at it
    return fromStatus(status);
}

HRESULT unregisterClient() {
    Key mail(HKEY_LOCAL_MACHINE, kMailKey);
    LONG status = mail.status();
    if (status == ERROR_SUCCESS) status = mail.set(nullptr, kWineClient);     // Wine's own client first,
    if (status == ERROR_SUCCESS) status = RegDeleteKeyW(mail.get(), kClient);  // then drop ours
    return fromStatus(status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status);
}

}  // namespace

STDAPI DllRegisterServer(void) {
    try {
        return registerClient(Kind::Full);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// regsvr32 /n /i:simple: registered for Simple MAPI only (DLLPath, no DLLPathEx).
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    if (!install || !commandLine || lstrcmpiW(commandLine, L"simple") != 0) return E_INVALIDARG;
    try {
        return registerClient(Kind::SimpleOnly);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DllUnregisterServer(void) {
    try {
        return unregisterClient();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
