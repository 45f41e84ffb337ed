// Whether a DLL can be loaded into this 64-bit process, read from its PE header without
// loading it: a 32-bit mail client's DLL cannot, and is the classic cause of mail failures.
#pragma once

#include <cstdint>
#include <string>

struct PeImage {
    enum Kind { Missing, NotPe, Image } kind = Missing;
    uint16_t machine = 0;  // IMAGE_FILE_MACHINE_*, for an Image
};

PeImage readPeImage(const std::string &path);

// "64-bit (x64)", "32-bit (i386)", "machine 0x01C4".
std::string describeMachine(uint16_t machine);
