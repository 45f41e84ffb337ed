// Where the built binaries lie, seen from a running test program (they share one folder).
#pragma once

#include <string>

std::string binFolder();                       // with a trailing backslash
std::string binFile(const char *name);
