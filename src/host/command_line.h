// What `uxdsend list` and `uxdsend send` were asked to do, read from their command-line words.
// Parsing only: nothing here touches a file or the plug-in, so a mistake is caught first.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mail_texts.h"

struct SendArguments {
    MailTexts texts;
    bool dialog = false;
    bool wide = false;
    std::string optionsFile;      // --options; empty: not given
    std::string saveOptionsFile;  // --save-options; empty: not given
    bool haveLanguage = false;
    uint32_t language = 0x0400;   // the user's language unless --lang says otherwise
    std::vector<std::string> files;
};

struct CheckArguments {
    std::string profile, password;  // empty: not given, as the plug-in passes them
    std::optional<std::string> name;
};

struct ListArguments {
    bool haveLanguage = false;
    uint32_t language = 0;
};

// "0x0407", "1031": a language identifier in C notation.
bool parseLanguage(const std::string &text, uint32_t &language);

// The words after the command; false with a one-line reason on a usage error.
bool parseSendArguments(const std::vector<std::string> &words, SendArguments &arguments, std::string &error);
bool parseListArguments(const std::vector<std::string> &words, ListArguments &arguments, std::string &error);
bool parseCheckArguments(const std::vector<std::string> &words, CheckArguments &arguments, std::string &error);
