// Every command of uxdsend apart from the mail work of send and check, and every mistake on
// its command line, run once redirected to files, as a script runs it, and once in a console,
// as a command window shows it: the exit status and whole lines of what it printed.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <numeric>
#include <regex>

#include "program_run.h"
#include "test_mail.h"
#include "uxdmapi.h"

namespace {
using Words = std::vector<std::string>;

// A catalogue text as the resource script of a language has it, in the ANSI code page that
// the plug-in hands its texts out in.
std::string scriptText(const char *script, const char *id) {
    const std::string text = readFile(std::string(UXD_RESOURCE_SCRIPTS) + script);
    std::smatch found;
    if (!std::regex_search(text, found, std::regex(std::string(id) + "[ \t]+\"((?:[^\"]|\"\")*)\"")))
        return std::string("(no ") + id + " in " + script + ")";
    const std::string quoted = std::regex_replace(found[1].str(), std::regex("\"\""), "\"");
    return narrow(widen(quoted, CP_UTF8), CP_ACP);
}

Words catalogue(const char *script) {
    return {"identifier:  xmapi", "name:        " + scriptText(script, "IDS_DESTINATION_NAME"),
            "description: " + scriptText(script, "IDS_DESTINATION_DESCRIPTION")};
}

const char kSynopsis[] = "usage: uxdsend [--plugin PATH] list [--lang ID]";
const char kTextFlags[] = "--to, --cc, --bcc, --subject, --message, --profile, --password and --wide";

// A refusal: its line, the synopsis after it and the pointer to the help.
Words refused(const std::string &why) {
    return {"uxdsend: " + why, kSynopsis, "(uxdsend --help explains every option)"};
}

// Whether `text` holds `line` as a whole line, whatever its line ends.
bool holdsLine(std::string text, const std::string &line) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

// A line as a console shows it, in UTF-8: the program's ANSI text turned to UTF-16.
std::string onConsole(const std::string &ansi) { return narrow(widen(ansi, CP_ACP), CP_UTF8); }

}  // namespace

TEST(Commands, EachCommandAndEachMistakeExitsWithItsStatusAndSaysSo) {
    const std::string version = std::to_string(UXD_INTERFACE_VERSION >> 8) + "." + std::to_string(UXD_INTERFACE_VERSION & 0xFF);
    const DWORD kMistake = 64;
    // Without --lang, the user's language: one of the two the table runs in.
    const char *user = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? "ja/pelmo0411.rc" : "uxdmapi.rc";
    const struct {
        Words arguments;
        DWORD status;
        Words out, err;  // lines each stream must hold, in the ANSI code page
    } cases[] = {
        {{"list"}, 0, catalogue(user), {}},
        {{"list", "--lang", "0x0407"}, 0, catalogue("de/pelmo0407.rc"), {}},
        {{"list", "--lang", "1031"}, 0, catalogue("de/pelmo0407.rc"), {}},
        {{"list", "--lang", "0x040C"}, 0, catalogue("fr/pelmo040C.rc"), {}},
        {{"list", "--lang", "0x0411"}, 0, catalogue("ja/pelmo0411.rc"), {}},
        {{"version"}, 0, {version}, {}},
        {{"--plugin", binFile("uxdmapi.dll"), "version"}, 0, {version}, {}},
        {{"--help"}, 0, {kSynopsis, "  64   a mistake on uxdsend's command line"}, {}},
        {{"-h"}, 0, {kSynopsis}, {}},
        {{"help"}, 0, {kSynopsis}, {}},
        {{"send", "--help"}, 0, {kSynopsis}, {}},
        {{"--plugin", "n\xF6where.dll", "version"}, DWORD(UXD_E_MAIL_UNAVAILABLE), {},
         {"uxdsend: cannot load n\xF6where.dll (system error 126)"}},
        {{"--plugin", binFile("pelmo0600.dll"), "version"}, 7, {}, {"uxdsend: entry point UXDInitialize is missing"}},
        {{"send", "--to", "ann", "--", "-r.pdf"}, 5, {}, {"uxdsend: send failed with code 5 (missing or invalid argument): no such file: -r.pdf"}},
        {{}, kMistake, {}, refused("no command given")},
        {{"s\xE9nd"}, kMistake, {}, refused("unknown command 's\xE9nd'")},
        {{"--plugin"}, kMistake, {}, refused("--plugin needs a value")},
        {{"--plugin", "uxdmapi.dll"}, kMistake, {}, refused("no command given")},
        {{"version", "1.0"}, kMistake, {}, refused("version takes no arguments")},
        {{"list", "--language", "0x0407"}, kMistake, {}, refused("list has no argument --language")},
        {{"list", "--lang"}, kMistake, {}, refused("--lang needs a value")},
        {{"list", "--lang", "german"}, kMistake, {},
         refused("--lang needs a language identifier such as 0x0407, not 'german'")},
        {{"list", "--lang", "0x0407", "--lang", "0x040C"}, kMistake, {}, refused("--lang is given twice")},
        {{"check", "--to", "ann"}, kMistake, {}, refused("check has no argument --to")},
        {{"check", "--name"}, kMistake, {}, refused("--name needs a value")},
        {{"check", "--name", "ann", "--name", "bob"}, kMistake, {}, refused("--name is given twice")},
        {{"send", "--to", "archer"}, kMistake, {}, refused("send needs at least one FILE to attach")},
        {{"send", "--to"}, kMistake, {}, refused("--to needs a value")},
        {{"send", "--to", "ann", "--to", "bob", "r.pdf"}, kMistake, {}, refused("--to is given twice")},
        {{"send", "-t", "ann", "r.pdf"}, kMistake, {}, refused("send has no option -t")},
        {{"send", "--lang", "-7", "r.pdf"}, kMistake, {},
         refused("--lang needs a language identifier such as 0x0407, not '-7'")},
        {{"send", "--options", "", "r.pdf"}, kMistake, {}, refused("--options needs a file name")},
        {{"send", "--options", "a.opt", "--options", "b.opt", "r.pdf"}, kMistake, {}, refused("--options is given twice")},
        {{"send", "--save-options"}, kMistake, {}, refused("--save-options needs a value")},
        {{"send", "--dialog", "--options", "s.opt", "r.pdf"}, kMistake, {},
         refused("--dialog and --options exclude each other")},
        {{"send", "--dialog", "--to", "archer", "r.pdf"}, kMistake, {},
         refused(std::string("--dialog takes the mail from the dialog: leave out ") + kTextFlags)},
        {{"send", "--options", "s.opt", "--wide", "r.pdf"}, kMistake, {},
         refused(std::string("--options takes the mail from its file: leave out ") + kTextFlags)},
        {{"send", "r.pdf", ""}, kMistake, {}, refused("an empty FILE name")},
    };
    TestMail mail;
    for (const auto &c : cases) {
        for (Output output : {Output::Files, Output::Console}) {
            const bool console = output == Output::Console;
            std::string all;  // only a letter outside ASCII can come out differently on a console
            for (const Words *lines : {&c.out, &c.err}) all += std::accumulate(lines->begin(), lines->end(), std::string());
            if (console && std::none_of(all.begin(), all.end(), [](char letter) { return letter & 0x80; })) continue;
            SCOPED_TRACE(testing::PrintToString(c.arguments) + (console ? " in a console" : " redirected"));
            const size_t calls = mail.log().size();
            ProgramRun run = runUxdsend(c.arguments, mail.folder(), output);
            EXPECT_EQ(run.status, c.status) << run.out << run.err;
            for (const auto &stream : {std::make_pair(&c.out, &run.out), std::make_pair(&c.err, &run.err)})
                for (const std::string &line : *stream.first)
                    EXPECT_TRUE(holdsLine(*stream.second, console ? onConsole(line) : line))
                        << "no line \"" << line << "\" in:\n" << *stream.second;
            // A success says nothing on standard error; a failure prints nothing as if it worked.
            EXPECT_EQ(c.status ? run.out : run.err, "");
            EXPECT_EQ(mail.log().size(), calls) << "no command here reaches a mail client";
        }
    }
}
