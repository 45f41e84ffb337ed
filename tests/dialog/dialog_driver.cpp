// The dialog driver; see dialog_driver.h.
#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <set>

namespace {
constexpr DWORD kPollMs = 20;

struct Search {
    HWND skip;
    HWND found;
};

BOOL CALLBACK findVisibleDialog(HWND window, LPARAM context) {
    auto *search = reinterpret_cast<Search *>(context);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (window != search->skip && IsWindowVisible(window) && !strcmp(className, "#32770")) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND findDialog(DWORD threadId, HWND skip) {
    Search search = {skip, nullptr};
    EnumThreadWindows(threadId, findVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string textOf(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK readChild(HWND child, LPARAM context) {
    auto *box = reinterpret_cast<ShownBox *>(context);
    std::string text = textOf(child);
    if (!text.empty()) box->texts.push_back(text);
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        box->icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    return TRUE;
}
}  // namespace

bool ShownBox::shows(const std::string &text) const {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::string ShownBox::describe() const {
    if (!seen) return "no box";
    std::string text = "a box captioned \"" + caption + "\" showing";
    for (const std::string &t : texts) text += " \"" + t + "\"";
    return text;
}

DialogDriver::DialogDriver(Script script, DWORD timeoutMs)
    : threadId_(GetCurrentThreadId()), timeoutMs_(timeoutMs), thread_(&DialogDriver::run, this, std::move(script)) {}

DialogDriver::~DialogDriver() { finish(); }

void DialogDriver::finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void DialogDriver::run(Script script) {
    for (DWORD waited = 0; waited < timeoutMs_ && !stop_ && !dialog_; waited += kPollMs) {
        dialog_ = findDialog(threadId_, nullptr);
        if (!dialog_) Sleep(kPollMs);
    }
    if (!dialog_) return;
    found_ = true;
    script(*this);
    // A script that stopped early (a failed assertion) must not leave the test hanging.
    if (!waitClosed(2000)) {
        leftOpen_ = true;
        postAndWaitClosed(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    }
}

void DialogDriver::type(int box, const std::string &text) const {
    SendMessageA(item(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string DialogDriver::read(int box) const { return textOf(item(box)); }

std::string DialogDriver::caption() const { return textOf(dialog_); }

bool DialogDriver::isOpen() const { return IsWindow(dialog_) && IsWindowVisible(dialog_); }

bool DialogDriver::waitClosed(DWORD timeoutMs) const {
    for (DWORD waited = 0; waited < timeoutMs; waited += kPollMs) {
        if (!isOpen()) return true;
        Sleep(kPollMs);
    }
    return !isOpen();
}

HWND DialogDriver::findBox() const { return findDialog(threadId_, dialog_); }

ShownBox DialogDriver::readBox(HWND window) const {
    ShownBox box;
    Sleep(50);  // let the box finish setting itself up
    box.seen = true;
    box.owner = GetWindow(window, GW_OWNER);
    box.caption = textOf(window);
    EnumChildWindows(window, readChild, reinterpret_cast<LPARAM>(&box));
    return box;
}

ShownBox DialogDriver::press(int button) const {
    // SendMessage returns only once the command is handled, so it runs on a helper thread
    // while the driver watches for a box that the command may show meanwhile.
    struct Pending {
        std::atomic<bool> done{false};
    };
    auto pending = std::make_shared<Pending>();
    HWND dialog = dialog_, control = item(button);
    std::thread sender([pending, dialog, control, button] {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
        pending->done = true;
    });
    ShownBox box;
    std::set<HWND> closed;  // a closed box may stay visible for a moment
    for (DWORD waited = 0; waited < timeoutMs_ && !pending->done; waited += kPollMs) {
        HWND window = findBox();
        if (window && closed.insert(window).second) {
            int shown = box.shown + 1;
            if (!box.seen) box = readBox(window);  // the first is the one reported
            box.shown = shown;
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        Sleep(kPollMs);
    }
    if (pending->done) {
        sender.join();
    } else {
        ADD_FAILURE() << "button " << button << " was still being handled after " << timeoutMs_ << " ms";
        sender.detach();  // it holds its own state
    }
    return box;
}

bool DialogDriver::postAndWaitClosed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    PostMessageA(window, message, wParam, lParam);
    return waitClosed(timeoutMs_);
}

size_t DialogDriver::saveBitmap(const std::string &path) const {
    // The client area only: Xvfb runs no window manager, so nothing draws the frame.
    RECT client;
    POINT origin = {0, 0};
    if (!GetClientRect(dialog_, &client) || !ClientToScreen(dialog_, &origin)) return 0;
    LONG width = client.right, height = client.bottom;
    LONG stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as .bmp files hold it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = static_cast<DWORD>(stride * height);
    void *bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP picture = CreateDIBSection(memory, reinterpret_cast<BITMAPINFO *>(&header), DIB_RGB_COLORS, &bits,
                                       nullptr, 0);
    if (!picture) {
        DeleteDC(memory);
        return 0;
    }
    HGDIOBJ previous = SelectObject(memory, picture);
    // As the display shows it, freshly painted: Wine's PrintWindow leaves the controls out.
    RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(200);
    HDC screen = GetDC(nullptr);
    BOOL copied = BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();

    std::set<DWORD> colours;
    const auto *bytes = static_cast<const unsigned char *>(bits);
    for (LONG y = 0; copied && y < height; ++y)
        for (LONG x = 0; x < width; ++x) {
            const unsigned char *p = bytes + y * stride + x * 3;
            colours.insert(p[0] | p[1] << 8 | p[2] << 16);
        }
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(&file), sizeof file);
    out.write(reinterpret_cast<const char *>(&header), sizeof header);
    out.write(static_cast<const char *>(bits), header.biSizeImage);
    bool written = out.good();
    SelectObject(memory, previous);
    DeleteObject(picture);
    DeleteDC(memory);
    return copied && written ? colours.size() : 0;
}
