// The plug-in's texts are ANSI (the system code page), but a Windows console shows its own OEM
// code page: to a console they go as UTF-16, so "ü" stays "ü"; redirected to a file or a pipe,
// they stay ANSI bytes, as other Windows programs write them.
#pragma once

#include <cstdio>
#include <string>

void writeText(std::FILE *stream, const std::string &ansi);
