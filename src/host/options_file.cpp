// Saving and reading encoded destination options; see options_file.h.
#include "options_file.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "file_handle.h"
#include "owner_only.h"
#include "uxdmapi.h"

namespace {

std::string systemError(const std::string &what, const std::string &path, DWORD error) {
    return "cannot " + what + " " + path + " (system error " + std::to_string(error) + ")";
}

uint16_t headField(const std::vector<unsigned char> &block, std::size_t offset) {
    uint16_t value;
    std::memcpy(&value, block.data() + offset, sizeof value);
    return value;
}

int checkHead(const std::string &path, const std::vector<unsigned char> &block, std::string &error) {
    if (block.size() >= sizeof(UXDEncodedOptionsHeader) &&
        headField(block, offsetof(UXDEncodedOptionsHeader, structSize)) == UXD_OPTIONS_SIZE &&
        headField(block, offsetof(UXDEncodedOptionsHeader, flatSize)) == block.size())
        return 0;
    error = path + " is not an options file saved by --save-options, or it is damaged";
    return UXD_E_INVALID_ARGUMENT;
}

bool writeAll(HANDLE file, const void *block, uint16_t size) {
    DWORD written = 0;
    return WriteFile(file, block, size, &written, nullptr) && written == size;
}

}  // namespace

int readOptionsFile(const std::string &path, std::vector<unsigned char> &block, std::string &error) {
    File file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.open()) {
        error = systemError("read", path, GetLastError());
        return UXD_E_INVALID_ARGUMENT;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0xFFFF) {
        error = path + " is larger than any options block (65535 bytes)";
        return UXD_E_INVALID_ARGUMENT;
    }
    block.assign(static_cast<std::size_t>(size.QuadPart), 0);
    DWORD read = 0;
    if (!block.empty() && (!ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &read, nullptr) ||
                           read != block.size())) {
        error = systemError("read", path, GetLastError());
        return UXD_E_INVALID_ARGUMENT;
    }
    return checkHead(path, block, error);
}

int writeOptionsFile(const std::string &path, const void *block, uint16_t size, std::string &error) {
    // The block holds the password: the file is the user's alone before a byte is written,
    // whether it is new or replaces one (whose old security CreateFile would keep).
    OwnerOnly security;
    DWORD failure = ERROR_SUCCESS;
    {
        File file(CreateFileA(path.c_str(), GENERIC_WRITE | WRITE_DAC, 0, security.attributes(), CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.open()) {
            error = systemError("create", path, GetLastError());
            return UXD_E_FAILURE;
        }
        failure = security.apply(file.get());
        if (failure != ERROR_SUCCESS) {
            error = systemError("make private", path, failure);
        } else if (!writeAll(file.get(), block, size)) {
            failure = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
            error = systemError("write", path, failure);
        }
    }
    if (failure == ERROR_SUCCESS) return UXD_SUCCESS;
    DeleteFileA(path.c_str());  // half a block would only fail later; an open one would show the password
    return failure == ERROR_DISK_FULL || failure == ERROR_HANDLE_DISK_FULL ? UXD_E_DISK_FULL : UXD_E_FAILURE;
}
