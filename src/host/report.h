// How uxdsend tells a script what went wrong: its exit status is the plug-in's UXD code
// (or 64 for a mistake on the command line), and a line on standard error says why.
#pragma once

#include <string>

#include "uxdmapi.h"

class Plugin;

constexpr int kUsageError = 64;  // as sysexits' EX_USAGE

// A few words for each UXD code, for the error line.
const char *codeMeaning(int code);

// "uxdsend: WHAT failed with code N (meaning): TEXT" on standard error, and for a well-known
// failure a second line on what it means and what to try; returns `code`.
int reportFailure(const std::string &what, int code, const char *text);

// The same with the plug-in's own text: UXDGetErrorText(job), or UXDGetErrorText(NULL)
// when there is no job (a failed start or setup).
int reportModuleFailure(const Plugin &plugin, const char *what, UXDResult code, void *job);

// "uxdsend: TEXT" and the usage on standard error; returns kUsageError.
int usageError(const std::string &text);
