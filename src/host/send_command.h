// `uxdsend send`: one export delivered by mail, through the plug-in's entry points in the order
// a reporting host calls them.
#pragma once

#include <string>
#include <vector>

// The words after "send"; returns the exit status (a UXD code, or 64 for a usage error).
int sendCommand(const std::string &pluginPath, const std::vector<std::string> &words);
