// Saving a window's pixels as a .bmp; see screenshot.h.
#include "screenshot.h"

#include <fstream>
#include <set>
#include <vector>

size_t saveBitmap(HWND window, const std::string &path) {
    // Copied from the window's own surface, freshly painted: Wine's PrintWindow leaves the
    // controls out, and the screen's DC does not hold other windows' pixels.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(200);
    RECT client, frame;
    GetWindowRect(window, &frame);
    client = {0, 0, frame.right - frame.left, frame.bottom - frame.top};
    POINT origin = {0, 0};
    LONG width = client.right, height = client.bottom;
    BITMAPINFOHEADER header = {sizeof header, width, height, 1, 32, BI_RGB, DWORD(width * height * 4), 0, 0, 0, 0};
    std::vector<DWORD> pixels(width * height);
    HDC screen = GetWindowDC(window), memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ before = SelectObject(memory, picture);
    bool copied = BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, before);  // GetDIBits wants the picture deselected
    copied = copied && GetDIBits(memory, picture, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO *>(&header),
                                 DIB_RGB_COLORS) == height;
    DeleteObject(picture), DeleteDC(memory), ReleaseDC(window, screen);
    for (DWORD &pixel : pixels) pixel |= 0xFF000000;  // opaque: viewers read a zero alpha as transparent
    DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
    BITMAPFILEHEADER file = {0x4D42, offset + header.biSizeImage, 0, 0, offset};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(&file), sizeof file)
        .write(reinterpret_cast<const char *>(&header), sizeof header)
        .write(reinterpret_cast<const char *>(pixels.data()), header.biSizeImage);
    return copied && out.good() ? std::set<DWORD>(pixels.begin(), pixels.end()).size() : 0;
}
