// Reading a PE header's machine type; see pe_machine.h.
#include "pe_machine.h"

#include <windows.h>

#include <cstdio>

#include "file_handle.h"

namespace {
bool readAt(HANDLE file, LONG offset, void *into, DWORD bytes) {
    DWORD read = 0;
    return SetFilePointer(file, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           ReadFile(file, into, bytes, &read, nullptr) && read == bytes;
}
}  // namespace

PeImage readPeImage(const std::string &path) {
    PeImage image;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return image;
    image.kind = PeImage::NotPe;
    File in(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
    IMAGE_DOS_HEADER dos = {};
    if (!in.open() || !readAt(in.get(), 0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return image;
    DWORD signature = 0;
    IMAGE_FILE_HEADER header = {};
    if (!readAt(in.get(), dos.e_lfanew, &signature, sizeof signature) || signature != IMAGE_NT_SIGNATURE ||
        !readAt(in.get(), LONG(dos.e_lfanew + sizeof signature), &header, sizeof header))
        return image;
    image.kind = PeImage::Image;
    image.machine = header.Machine;
    return image;
}

std::string describeMachine(uint16_t machine) {
    switch (machine) {
    case IMAGE_FILE_MACHINE_AMD64: return "64-bit (x64)";
    case IMAGE_FILE_MACHINE_I386: return "32-bit (i386)";
    case 0xAA64: return "64-bit ARM";
    default: {
        char text[32];
        std::snprintf(text, sizeof text, "machine 0x%04X", machine);
        return text;
    }
    }
}
