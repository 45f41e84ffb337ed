// The checks of `uxdsend check` that look at the machine: WIN.INI, the registered mail client and
// its DLLs, the Windows version, MAPI32.DLL and a logon. MAPI32.DLL is loaded only once the
// registration shows a client it can route to: without one it shows a modal box that would
// hang an unattended check.
#pragma once

#include <string>

#include "check_findings.h"

struct MailSetup {
    bool mailOn = false;
    bool clientUsable = false;     // MAPI32.DLL has a client to hand calls to: the plug-in starts
    bool addressBookPath = false;  // Windows 6.1 or later: names go through Extended MAPI where it is offered
};

void checkWinIni(Findings &findings, MailSetup &setup);
void checkWindowsVersion(Findings &findings, MailSetup &setup);
void checkMailClient(Findings &findings, MailSetup &setup);
void checkMapi32(Findings &findings, const MailSetup &setup, const std::string &profile, const std::string &password);
