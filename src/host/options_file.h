// The file behind --save-options and --options: the encoded (flat) block exactly as
// UXDEncodeDestinationOptions hands it out, so the next run can hand it back unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a saved block. Only the head is checked here, enough for the plug-in to take the
// block as a flat one rather than as pointers (the plug-in checks the rest): at least the
// 74-byte header, structSize 70, and a nonzero flatSize equal to the file's length. Returns
// a UXD code (0, or 5 with a reason).
int readOptionsFile(const std::string &path, std::vector<unsigned char> &block, std::string &error);

// Writes the block, replacing the file, readable and writable by the current user only (a
// protected DACL with that user alone); no partial or open file is left behind. Returns 0, 3
// when the disk is full, or -1, with a reason.
int writeOptionsFile(const std::string &path, const void *block, uint16_t size, std::string &error);
