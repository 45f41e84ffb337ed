// The state every entry point shares: the configuration (read on first use, not in DllMain),
// how many times each function has been called since the last reset, and the Simple MAPI
// sessions handed out. Entry points hold lock() while they work.
#pragma once

#include <windows.h>

#include <mutex>

#include "config.h"

namespace testmail {

std::recursive_mutex &lock();
const Config &config();

// The scripted result of this call of the function (counted), or 0: behave normally.
unsigned long scriptedResult(const char *function);
// The [resolve] result scripted for a typed name, or 0.
unsigned long scriptedResolve(const std::string &name);

// Re-reads the configuration and restarts the counts of scripted results.
void resetScript();

// Whether a logon with this password gets in ([logon] password; anything when it is unset).
bool passwordAccepted(const void *password, bool wide = false);

ULONG_PTR openSession();
bool closeSession(ULONG_PTR session);
bool knownSession(ULONG_PTR session);  // 0, the implicit session, is always known

}  // namespace testmail
