// Reads and closes the real message box that the code under test shows on this thread:
// a watcher thread waits for the box, records its caption and texts, and presses a button.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int button = IDOK, DWORD timeoutMs = 10000);
    ~MessageBoxWatcher();  // joins the thread

    // Valid after the call that showed the box has returned.
    bool seen() const { return seen_; }
    const std::string &caption() const { return caption_; }
    const std::vector<std::string> &texts() const { return texts_; }  // child window texts
    bool showsText(const std::string &text) const;
    HWND owner() const { return owner_; }

private:
    void watch(DWORD threadId, int button, DWORD timeoutMs);
    std::thread thread_;
    bool seen_ = false;
    std::string caption_;
    std::vector<std::string> texts_;
    HWND owner_ = nullptr;
};
