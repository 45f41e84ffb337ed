// Reads and closes the real boxes and dialogs that the code under test shows: found among a
// thread's visible windows of the dialog class, their caption and texts read, a button pressed.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

std::string windowText(HWND window);
// A visible dialog of `thread` other than `skip`; null when there is none.
HWND findDialog(DWORD thread, HWND skip = nullptr);

struct ShownBox {
    bool seen = false;
    std::string caption;
    std::vector<std::string> texts;  // child window texts
    HWND owner = nullptr;
    bool showsText(const std::string &text) const;
};
// Reads `box` once it has set itself up.
ShownBox readBox(HWND box);
// Clicks `button` of `window` as the user would, without waiting for it to be handled.
inline void click(HWND window, int button) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

// Waits on a thread of its own for the first box this thread shows, and closes it.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int button = IDOK, DWORD timeoutMs = 10000);
    ~MessageBoxWatcher();  // joins the thread

    // Valid after the call that showed the box has returned.
    bool seen() const { return box_.seen; }
    const std::string &caption() const { return box_.caption; }
    bool showsText(const std::string &text) const { return box_.showsText(text); }
    HWND owner() const { return box_.owner; }

private:
    std::thread thread_;
    ShownBox box_;
};
