// `uxdsend check`: diagnoses the machine's mail setup, one line per check, and with --name
// resolves a name through the plug-in exactly as a silent send would (nothing is sent).
#pragma once

#include <string>
#include <vector>

// The words after "check"; returns the code a silent send would meet (0: it can work), or 64.
int checkCommand(const std::string &pluginPath, const std::vector<std::string> &words);
