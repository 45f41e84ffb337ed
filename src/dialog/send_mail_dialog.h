// The Send Mail dialog: the user addresses the message that will carry the report. It
// edits the job's texts and recipient lists; nothing is sent here.
#pragma once

#include <windows.h>
#include <mapi.h>

#include <cstddef>
#include <cstdint>

#include "uxdmapi.h"

class MAPIDestination;
class MAPIRecipient;

namespace uxd {
// Shows the dialog for the job: 0 after Send, 6 after anything else (also when the dialog
// cannot be shown at all).
UXDResult runSendMailDialog(MAPIDestination &job) noexcept;

INT_PTR CALLBACK sendMailDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

bool checkNames(HWND dialog, bool resolve, bool requireTo) noexcept;
UXDResult syncRecipientBox(MAPIDestination *job, char *text, std::size_t textSize, bool resolve, HWND dialog,
                           MAPIRecipient **list, uint32_t *toCount, uint32_t recipientClass) noexcept;
// Merges a freshly parsed list into the job's list, keeping what is known about names typed
// again (case ignored); consumes `parsed`.
void reconcileRecipients(MAPIDestination *job, MAPIRecipient **list, MAPIRecipient *parsed) noexcept;
void addressRecipients(MAPIDestination *job, HWND dialog) noexcept;

}  // namespace uxd
