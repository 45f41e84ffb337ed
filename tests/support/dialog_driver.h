// A user of the Send Mail dialog, played from a thread of its own while the dialog runs its
// modal loop on the thread that showed it: waits for the dialog, runs a script of typing,
// clicks and keys, reads and closes the boxes a command shows, and cancels a dialog the
// script left open.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "message_box.h"

namespace dialog_driver {
constexpr DWORD kPollMs = 5, kTimeoutMs = 60000;  // a 2-core machine running two builds beside took over 30 s

using Texts = std::vector<std::string>;

// The dialog runs its modal loop on the caller's thread, so the user is played from another.
struct Driver {
    explicit Driver(std::function<void(Driver &)> script) : thread_([this, script] {
        for (DWORD waited = 0; !dialog && !noDialog && waited < kTimeoutMs; waited += kPollMs)
            if (!(dialog = findDialog(owner_))) Sleep(kPollMs);
        if (!dialog) return;
        script(*this);
        // A script that stopped early (a failed assertion) must not leave the test hanging.
        for (DWORD waited = 0; isOpen() && waited < 2000; waited += kPollMs) Sleep(kPollMs);
        if ((leftOpen = isOpen())) click(dialog, IDCANCEL);
    }) {}

    DWORD owner_ = GetCurrentThreadId();
    HWND dialog = nullptr, boxOwner = nullptr;  // boxOwner: of the last box a command showed
    bool leftOpen = false;
    std::vector<int> stuck;  // buttons still being handled after kTimeoutMs
    std::atomic<bool> noDialog{false};  // set when the call returned without showing one
    std::thread thread_;
    void type(int box, const std::string &text) const { SetDlgItemTextA(dialog, box, text.c_str()); }
    std::string read(int box) const { return windowText(GetDlgItem(dialog, box)); }
    // A key pressed and let go on the keyboard: it goes to the focus, as the user's would.
    void key(WORD virtualKey) const {
        INPUT input[2] = {};
        for (INPUT &i : input) i.type = INPUT_KEYBOARD, i.ki.wVk = virtualKey;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
        for (DWORD waited = 0; isOpen() && waited < 2000; waited += kPollMs) Sleep(kPollMs);
    }
    bool isOpen() const { return IsWindow(dialog) && IsWindowVisible(dialog); }

    // Clicks a button and returns once its command is handled, with the texts of a box that the
    // command showed meanwhile (none: no box), read before the driver pressed its OK.
    Texts press(int button) {
        // Sent from a thread of its own, as SendMessage waits for the command.
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::thread([=, target = dialog, control = GetDlgItem(dialog, button)] {
            SendMessageA(target, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
            *done = true;
        }).detach();
        Texts texts;
        boxOwner = nullptr;
        for (DWORD waited = 0; !*done && waited < kTimeoutMs; waited += kPollMs, Sleep(kPollMs)) {
            HWND box = findDialog(owner_, dialog);
            if (!box) continue;
            ShownBox shown = readBox(box);
            texts.insert(texts.end(), shown.texts.begin(), shown.texts.end()), boxOwner = shown.owner;
            click(box, IDOK);
            while (IsWindowVisible(box) && waited < kTimeoutMs) Sleep(kPollMs), waited += kPollMs;
        }
        if (!*done) stuck.push_back(button);
        return texts;
    }
};
}  // namespace dialog_driver
