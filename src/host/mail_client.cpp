// Reading the default mail client's registration; see mail_client.h.
#include "mail_client.h"

#include <windows.h>

#include <vector>

namespace {

const char kMailKey[] = "Software\\Clients\\Mail";

class Key {
public:
    Key(HKEY parent, const std::string &path) {
        if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key &) = delete;
    Key &operator=(const Key &) = delete;
    bool open() const { return key_ != nullptr; }

    // A text value (REG_SZ or REG_EXPAND_SZ, the latter expanded); absent when there is none.
    std::optional<std::string> text(const char *name) const {
        DWORD type = 0, size = 0;
        if (!key_ || RegQueryValueExA(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        std::vector<char> value(size + 1, '\0');
        if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE *>(value.data()), &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::string result(value.data());
        return type == REG_EXPAND_SZ ? expand(result) : result;
    }

private:
    static std::string expand(const std::string &text) {
        DWORD size = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
        std::vector<char> out(size + 1, '\0');
        return size && ExpandEnvironmentStringsA(text.c_str(), out.data(), size) ? out.data() : text;
    }
    HKEY key_ = nullptr;
};

}  // namespace

MailClient registeredMailClient() {
    MailClient client;
    const struct { HKEY root; const char *name; } hives[] = {{HKEY_CURRENT_USER, "HKCU"}, {HKEY_LOCAL_MACHINE, "HKLM"}};
    for (const auto &hive : hives) {
        std::optional<std::string> name = Key(hive.root, kMailKey).text(nullptr);
        if (!name || name->empty()) continue;
        client.hive = hive.name, client.name = *name;
        break;
    }
    if (client.name.empty()) return client;
    // The client's own key lies in the hive that names it, or (usually) in the machine's.
    for (HKEY root : {client.hive == "HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE}) {
        Key key(root, std::string(kMailKey) + "\\" + client.name);
        if (!key.open()) continue;
        client.keyFound = true;
        client.dllPath = key.text("DLLPath");
        client.dllPathEx = key.text("DLLPathEx");
        break;
    }
    return client;
}

std::string locateDll(const std::string &registered) {
    if (registered.empty()) return {};
    char found[MAX_PATH];
    DWORD length = SearchPathA(nullptr, registered.c_str(), nullptr, MAX_PATH, found, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(found, length) : std::string();
}
