// Reading the words of `uxdsend list` and `uxdsend send`; see command_line.h.
#include "command_line.h"

#include <cstdlib>
#include <cstring>
#include <set>

namespace {

struct TextOption {
    const char *name;
    std::optional<std::string> MailTexts::*field;
};

const TextOption kTextOptions[] = {
    {"--to", &MailTexts::to},           {"--cc", &MailTexts::cc},
    {"--bcc", &MailTexts::bcc},         {"--subject", &MailTexts::subject},
    {"--message", &MailTexts::message}, {"--profile", &MailTexts::profile},
    {"--password", &MailTexts::password},
};

bool anyText(const MailTexts &texts) {
    for (const TextOption &option : kTextOptions)
        if (texts.*option.field) return true;
    return false;
}

// Walks the words; an option's value is the next word, whatever it looks like, so that a
// subject such as "--draft--" can be given.
class Words {
public:
    explicit Words(const std::vector<std::string> &words) : words_(words) {}
    bool more() const { return next_ < words_.size(); }
    const std::string &take() { return words_[next_++]; }
    bool takeValue(const std::string &option, std::string &value, std::string &error) {
        if (!more()) {
            error = option + " needs a value";
            return false;
        }
        value = take();
        return true;
    }

private:
    const std::vector<std::string> &words_;
    std::size_t next_ = 0;
};

bool setOnce(const std::string &option, std::string &target, const std::string &value, std::string &error) {
    if (!target.empty()) {
        error = option + " is given twice";
        return false;
    }
    if (value.empty()) {
        error = option + " needs a file name";
        return false;
    }
    target = value;
    return true;
}

// --lang ID, once: send and list take the language the same way.
bool takeLanguage(Words &words, uint32_t &language, bool &given, std::string &error) {
    std::string value;
    if (given) error = "--lang is given twice";
    if (given || !words.takeValue("--lang", value, error)) return false;
    if (parseLanguage(value, language)) return given = true;
    error = "--lang needs a language identifier such as 0x0407, not '" + value + "'";
    return false;
}

// One option of send (the word is known to start with "--"); false on a usage error.
bool takeSendOption(const std::string &word, Words &words, SendArguments &arguments, std::string &error) {
    for (const TextOption &option : kTextOptions) {
        if (word != option.name) continue;
        std::optional<std::string> &field = arguments.texts.*option.field;
        std::string value;
        if (field) error = word + " is given twice";
        if (field || !words.takeValue(word, value, error)) return false;
        field = value;
        return true;
    }
    std::string value;
    if (word == "--dialog" || word == "--wide") {
        (word == "--dialog" ? arguments.dialog : arguments.wide) = true;
        return true;
    }
    if (word == "--options")
        return words.takeValue(word, value, error) && setOnce(word, arguments.optionsFile, value, error);
    if (word == "--save-options")
        return words.takeValue(word, value, error) && setOnce(word, arguments.saveOptionsFile, value, error);
    if (word == "--lang") return takeLanguage(words, arguments.language, arguments.haveLanguage, error);
    error = "send has no option " + word;
    return false;
}

// The ways of giving the mail's texts exclude each other.
bool checkCombination(const SendArguments &arguments, std::string &error) {
    static const char kTextFlags[] = "--to, --cc, --bcc, --subject, --message, --profile, --password and --wide";
    const bool fromFlags = anyText(arguments.texts) || arguments.wide;
    if (arguments.dialog && !arguments.optionsFile.empty()) error = "--dialog and --options exclude each other";
    else if (arguments.dialog && fromFlags) error = std::string("--dialog takes the mail from the dialog: leave out ") + kTextFlags;
    else if (!arguments.optionsFile.empty() && fromFlags)
        error = std::string("--options takes the mail from its file: leave out ") + kTextFlags;
    else if (arguments.files.empty()) error = "send needs at least one FILE to attach";
    else if (arguments.files.size() > 0xFFFF) error = "send takes at most 65535 files";
    return error.empty();
}

}  // namespace

bool parseLanguage(const std::string &text, uint32_t &language) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    char *end = nullptr;
    unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (*end || value > 0xFFFFFFFFull) return false;
    language = static_cast<uint32_t>(value);
    return true;
}

bool parseSendArguments(const std::vector<std::string> &list, SendArguments &arguments, std::string &error) {
    Words words(list);
    bool filesOnly = false;
    while (words.more()) {
        const std::string &word = words.take();
        if (filesOnly || word.compare(0, 1, "-") != 0) {
            if (word.empty()) {
                error = "an empty FILE name";
                return false;
            }
            arguments.files.push_back(word);
        } else if (word == "--") {
            filesOnly = true;
        } else if (!takeSendOption(word, words, arguments, error)) {
            return false;
        }
    }
    return checkCombination(arguments, error);
}

bool parseListArguments(const std::vector<std::string> &list, ListArguments &arguments, std::string &error) {
    Words words(list);
    while (words.more()) {
        const std::string &word = words.take();
        if (word != "--lang") {
            error = "list has no argument " + word;
            return false;
        }
        if (!takeLanguage(words, arguments.language, arguments.haveLanguage, error)) return false;
    }
    return true;
}

bool parseCheckArguments(const std::vector<std::string> &list, CheckArguments &arguments, std::string &error) {
    Words words(list);
    std::set<std::string> given;
    while (words.more()) {
        const std::string &word = words.take();
        std::string value;
        if (word != "--profile" && word != "--password" && word != "--name") {
            error = "check has no argument " + word;
            return false;
        }
        if (!given.insert(word).second) {
            error = word + " is given twice";
            return false;
        }
        if (!words.takeValue(word, value, error)) return false;
        if (word == "--profile") arguments.profile = value;
        else if (word == "--password") arguments.password = value;
        else arguments.name = value;
    }
    return true;
}
