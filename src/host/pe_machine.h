// A DLL's processor as `uxdsend check` tells it: a 32-bit mail client's DLL cannot be loaded into
// a 64-bit process, the classic cause of mail failures.
#pragma once

#include <cstdint>
#include <string>

// "64-bit (x64)", "32-bit (i386)", "machine 0x01C4".
std::string describeMachine(uint16_t machine);
