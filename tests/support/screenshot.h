// A picture of a window as the user sees it, for the tests that let a person look at a dialog.
#pragma once

#include <windows.h>

#include <string>

// The whole window, frame included, written as a 32-bit .bmp; how many colours it holds, 0
// when it could not be saved.
size_t saveBitmap(HWND window, const std::string &path);
