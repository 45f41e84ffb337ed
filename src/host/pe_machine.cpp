// Reading a PE header's machine type; see pe_machine.h.
#include "pe_machine.h"

#include <windows.h>

#include <cstdio>
#include <fstream>

PeImage readPeImage(const std::string &path) {
    PeImage image;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return image;
    image.kind = PeImage::NotPe;
    std::ifstream in(path, std::ios::binary);
    IMAGE_DOS_HEADER dos = {};
    if (!in.read(reinterpret_cast<char *>(&dos), sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return image;
    DWORD signature = 0;
    IMAGE_FILE_HEADER header = {};
    in.seekg(dos.e_lfanew);
    if (!in.read(reinterpret_cast<char *>(&signature), sizeof signature) || signature != IMAGE_NT_SIGNATURE ||
        !in.read(reinterpret_cast<char *>(&header), sizeof header))
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
