// Reading the default mail client's registration; see mail_client_registration.h.
#include "mail_client_registration.h"

#include <cstring>

#include "win32_resources.h"

namespace uxd {
namespace {

constexpr char kMailKey[] = "Software\\Clients\\Mail";

#if defined(__x86_64__) || defined(_M_X64)
constexpr uint16_t kProcessMachine = IMAGE_FILE_MACHINE_AMD64;
#elif defined(__aarch64__) || defined(_M_ARM64)
constexpr uint16_t kProcessMachine = 0xAA64;  // IMAGE_FILE_MACHINE_ARM64
#else
constexpr uint16_t kProcessMachine = IMAGE_FILE_MACHINE_I386;
#endif

// ADVAPI32 is bound at run time, for this one reading per process: the plug-in's imports
// stay KERNEL32, USER32, the C run-time, MAPI32 and the resource manager.
struct Registry {
    unique_library advapi{::LoadLibraryA("ADVAPI32.DLL")};
    decltype(&::RegOpenKeyExA) open = nullptr;
    decltype(&::RegQueryValueExA) query = nullptr;
    decltype(&::RegCloseKey) close = nullptr;

    bool bound() noexcept {
        return advapi && bindFunction(advapi.get(), "RegOpenKeyExA", open) &&
               bindFunction(advapi.get(), "RegQueryValueExA", query) &&
               bindFunction(advapi.get(), "RegCloseKey", close);
    }
};

class Key {
public:
    Key(const Registry &registry, HKEY parent, const char *path) noexcept : registry_(registry) {
        if (!parent || registry.open(parent, path, 0, KEY_QUERY_VALUE, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~Key() {
        if (key_) registry_.close(key_);
    }
    Key(const Key &) = delete;
    Key &operator=(const Key &) = delete;
    bool open() const noexcept { return key_ != nullptr; }
    HKEY handle() const noexcept { return key_; }

    // A string value, expanded when it is REG_EXPAND_SZ; never more than the room for it.
    void read(const char *name, RegisteredText &into) const noexcept {
        into.state = RegisteredText::Absent;
        into.text[0] = '\0';
        char raw[kRegisteredTextSize] = {};
        DWORD type = 0, bytes = sizeof raw - 1;  // the last byte stays the terminator
        if (!key_) return;
        LONG status = registry_.query(key_, name, nullptr, &type, reinterpret_cast<BYTE *>(raw), &bytes);
        if (status == ERROR_FILE_NOT_FOUND) return;
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            into.state = RegisteredText::Unusable;  // ERROR_MORE_DATA: too long
            return;
        }
        if (!raw[0]) return;
        if (type == REG_SZ) {
            std::memcpy(into.text, raw, sizeof raw);
        } else {
            DWORD needed = ExpandEnvironmentStringsA(raw, into.text, kRegisteredTextSize);
            if (needed == 0 || needed > kRegisteredTextSize) {
                into.text[0] = '\0';
                into.state = RegisteredText::Unusable;
                return;
            }
        }
        into.state = RegisteredText::Text;
    }

private:
    const Registry &registry_;
    HKEY key_ = nullptr;
};

// "C:\..." or "\\server\...": the stub loads exactly that file. Anything else is left to the
// loader's search, which this reading cannot predict.
bool isFullPath(const char *path) noexcept {
    char drive = static_cast<char>(path[0] | 0x20);
    bool lettered = drive >= 'a' && drive <= 'z' && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    return lettered || (path[0] == '\\' && path[1] == '\\');
}

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const char *path) noexcept
        : handle_(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
          error_(GetLastError()) {}
    ~ReadOnlyFile() {
        if (open()) CloseHandle(handle_);
    }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool open() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
    DWORD error() const noexcept { return error_; }
    DWORD read(void *into, DWORD bytes) const noexcept {
        DWORD read = 0;
        return ReadFile(handle_, into, bytes, &read, nullptr) ? read : 0;
    }
    bool readAt(LONG offset, void *into, DWORD bytes) const noexcept {
        return SetFilePointer(handle_, offset, nullptr, FILE_BEGIN) == DWORD(offset) && read(into, bytes) == bytes;
    }

private:
    HANDLE handle_;
    DWORD error_;
};

// The machine type from a PE header; false when the file has none. The headers nearly always
// lie in the first kilobyte, read at once: under Wine every file call is a server round trip.
bool readImageMachine(const ReadOnlyFile &file, uint16_t &machine) noexcept {
    unsigned char start[1024];
    DWORD got = file.read(start, sizeof start);
    IMAGE_DOS_HEADER dos;
    struct {
        DWORD signature;
        IMAGE_FILE_HEADER header;
    } nt;
    if (got < sizeof dos) return false;
    std::memcpy(&dos, start, sizeof dos);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0 || dos.e_lfanew > 0x10000000) return false;
    if (DWORD(dos.e_lfanew) + sizeof nt <= got) std::memcpy(&nt, start + dos.e_lfanew, sizeof nt);
    else if (!file.readAt(dos.e_lfanew, &nt, sizeof nt)) return false;
    if (nt.signature != IMAGE_NT_SIGNATURE) return false;
    machine = nt.header.Machine;
    return true;
}

bool couldServe(ClientDll dll) noexcept { return dll == ClientDll::SearchedName || dll == ClientDll::Loadable; }

}  // namespace

void readMailClientRegistration(MailClientRegistration &client) noexcept {
    std::memset(&client, 0, sizeof client);  // every text Absent and empty
    Registry registry;
    if (!registry.bound()) return;
    Key user(registry, HKEY_CURRENT_USER, kMailKey), machine(registry, HKEY_LOCAL_MACHINE, kMailKey);
    for (const Key *mail : {&user, &machine}) {
        RegisteredText name;
        mail->read(nullptr, name);
        if (name.state != RegisteredText::Absent) client.name = name;  // an unusable one is kept to be told
        if (!name.present()) continue;
        client.perUser = mail == &user;
        break;
    }
    if (!client.name.present()) return;
    // The client's own key, beside the default that names it, else (usually) the machine's.
    for (const Key *mail : {client.perUser ? &user : &machine, &machine}) {
        Key key(registry, mail->handle(), client.name.text);
        if (!key.open()) continue;
        client.keyFound = true;
        key.read("DLLPath", client.dllPath);
        key.read("DLLPathEx", client.dllPathEx);
        key.read("MSIComponentID", client.msiComponentId);
        return;
    }
}

ClientDll examineClientDll(const RegisteredText &value, uint16_t *machine) noexcept {
    if (value.state == RegisteredText::Absent) return ClientDll::NotRegistered;
    if (value.state == RegisteredText::Unusable) return ClientDll::Unusable;
    if (!isFullPath(value.text)) return ClientDll::SearchedName;
    ReadOnlyFile file(value.text);
    if (!file.open()) {
        DWORD attributes = GetFileAttributesA(value.text);  // a folder does not open as a file
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return ClientDll::Directory;
        return file.error() == ERROR_FILE_NOT_FOUND || file.error() == ERROR_PATH_NOT_FOUND ? ClientDll::Missing
                                                                                              : ClientDll::NotImage;
    }
    uint16_t found = 0;
    if (!readImageMachine(file, found)) return ClientDll::NotImage;
    if (machine) *machine = found;
    return found == kProcessMachine ? ClientDll::Loadable : ClientDll::OtherMachine;
}

bool mailClientAvailable(const MailClientRegistration &client) noexcept {
    if (!client.name.present() || !client.keyFound) return false;
    if (client.msiComponentId.present()) return true;  // the installer finds the DLL
    return couldServe(examineClientDll(client.dllPath)) || couldServe(examineClientDll(client.dllPathEx));
}

}  // namespace uxd
