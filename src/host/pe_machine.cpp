// Naming a PE header's machine type; see pe_machine.h.
#include "pe_machine.h"

#include <windows.h>

#include "hex_text.h"

std::string describeMachine(uint16_t machine) {
    switch (machine) {
    case IMAGE_FILE_MACHINE_AMD64: return "64-bit (x64)";
    case IMAGE_FILE_MACHINE_I386: return "32-bit (i386)";
    case 0xAA64: return "64-bit ARM";
    default: return "machine " + hexText(machine, 4);
    }
}
