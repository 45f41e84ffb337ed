#include "message_box.h"

#include <algorithm>

namespace {
struct Search {
    DWORD threadId;
    HWND found;
};

BOOL CALLBACK findDialog(HWND window, LPARAM context) {
    auto *search = reinterpret_cast<Search *>(context);
    char className[16];
    GetClassNameA(window, className, sizeof className);
    if (IsWindowVisible(window) && !strcmp(className, "#32770")) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collectText(HWND child, LPARAM context) {
    char text[1024];
    GetWindowTextA(child, text, sizeof text);
    if (*text) reinterpret_cast<std::vector<std::string> *>(context)->push_back(text);
    return TRUE;
}
}  // namespace

MessageBoxWatcher::MessageBoxWatcher(int button, DWORD timeoutMs)
    : thread_(&MessageBoxWatcher::watch, this, GetCurrentThreadId(), button, timeoutMs) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (thread_.joinable()) thread_.join();
}

void MessageBoxWatcher::watch(DWORD threadId, int button, DWORD timeoutMs) {
    Search search = {threadId, nullptr};
    for (DWORD waited = 0; waited < timeoutMs && !search.found; waited += 20) {
        EnumThreadWindows(threadId, findDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(20);
    }
    if (!search.found) return;
    Sleep(50);  // let the box finish painting its texts
    char caption[256];
    GetWindowTextA(search.found, caption, sizeof caption);
    caption_ = caption;
    EnumChildWindows(search.found, collectText, reinterpret_cast<LPARAM>(&texts_));
    owner_ = GetWindow(search.found, GW_OWNER);
    seen_ = true;
    PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

bool MessageBoxWatcher::showsText(const std::string &text) const {
    return std::find(texts_.begin(), texts_.end(), text) != texts_.end();
}
