#include "message_box.h"

#include <algorithm>

std::string windowText(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND findDialog(DWORD thread, HWND skip) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w; w = FindWindowExA(nullptr, w, "#32770", nullptr))
        if (w != skip && IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == thread) return w;
    return nullptr;
}

bool ShownBox::showsText(const std::string &text) const {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

ShownBox readBox(HWND box) {
    Sleep(50);  // let the box finish painting its texts
    ShownBox shown{true, windowText(box), {}, GetWindow(box, GW_OWNER)};
    EnumChildWindows(box, [](HWND child, LPARAM texts) -> BOOL {
        if (!windowText(child).empty()) reinterpret_cast<std::vector<std::string> *>(texts)->push_back(windowText(child));
        return TRUE;
    }, reinterpret_cast<LPARAM>(&shown.texts));
    return shown;
}

MessageBoxWatcher::MessageBoxWatcher(int button, DWORD timeoutMs)
    : thread_([this, button, timeoutMs, thread = GetCurrentThreadId()] {
          HWND box = nullptr;
          for (DWORD waited = 0; waited < timeoutMs && !(box = findDialog(thread)); waited += 20) Sleep(20);
          if (box) box_ = readBox(box), click(box, button);
      }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (thread_.joinable()) thread_.join();
}
