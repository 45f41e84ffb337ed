// Drives a modal dialog as a user would. The dialog runs its own message loop on the test's
// thread, so the driver works from a thread of its own: it waits for the dialog, types into
// its boxes, presses its buttons and reads and closes the message boxes they bring up.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// A message box the dialog's thread showed, as read just before the driver pressed OK.
struct ShownBox {
    bool seen = false;
    int shown = 0;  // boxes the command showed; only the first is described
    HWND owner = nullptr;
    std::string caption;
    std::vector<std::string> texts;  // of its child windows
    HICON icon = nullptr;
    bool shows(const std::string &text) const;
    std::string describe() const;  // for failure messages
};

class DialogDriver {
public:
    using Script = std::function<void(DialogDriver &)>;

    // Watches the calling thread for the dialog it is about to show and, once it is up,
    // runs the script against it. Every wait gives up after timeoutMs.
    explicit DialogDriver(Script script, DWORD timeoutMs = 10000);
    ~DialogDriver();
    // After the dialog call returned: stops waiting for a dialog that never came and joins.
    void finish();

    bool found() const { return found_; }
    // The script ended with the dialog still up, so the driver cancelled it.
    bool leftOpen() const { return leftOpen_; }
    HWND dialog() const { return dialog_; }
    HWND item(int id) const { return GetDlgItem(dialog_, id); }

    void type(int box, const std::string &text) const;
    std::string read(int box) const;
    std::string caption() const;
    bool isOpen() const;
    bool waitClosed(DWORD timeoutMs) const;
    // Clicks a button and returns once its command is handled; a box that the command shows
    // is read, closed with OK and returned.
    ShownBox press(int button) const;
    // Posts a message (a key, WM_CLOSE) and waits for the dialog to go away.
    bool postAndWaitClosed(HWND window, UINT message, WPARAM wParam, LPARAM lParam = 0) const;
    // The dialog's client area as the screen shows it, written as a 24-bit .bmp; the number
    // of distinct colours in it, 0 when nothing could be captured or written.
    size_t saveBitmap(const std::string &path) const;

private:
    void run(Script script);
    HWND findBox() const;
    ShownBox readBox(HWND box) const;

    DWORD threadId_;
    DWORD timeoutMs_;
    std::atomic<bool> stop_{false};
    bool found_ = false, leftOpen_ = false;
    HWND dialog_ = nullptr;
    std::thread thread_;
};
