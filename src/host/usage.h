// The text of `uxdsend --help`, kept apart from the code that parses what it describes.
#pragma once

#include <cstdio>

void printUsage(std::FILE *to);     // the whole help
void printSynopsis(std::FILE *to);  // the command lines alone, after a usage error
