// uxdsend's command line: what each option of send and list sets, and the mistakes that must
// stop it with a usage error before anything is loaded or sent.
#include <gtest/gtest.h>

#include "command_line.h"

namespace {

SendArguments parsed(const std::vector<std::string> &words) {
    SendArguments arguments;
    std::string error;
    EXPECT_TRUE(parseSendArguments(words, arguments, error)) << error;
    return arguments;
}

TEST(SendCommandLine, TextOptionsAndFilesLandInTheirPlaces) {
    SendArguments a = parsed({"--to", "ann; bob", "q1.pdf", "--cc", "carl", "--bcc", "dora", "--subject", "Q1",
                              "--message", "Figures", "--profile", "Work", "--password", "pw", "q1.csv"});
    EXPECT_EQ(a.texts.to, "ann; bob");
    EXPECT_EQ(a.texts.cc, "carl");
    EXPECT_EQ(a.texts.bcc, "dora");
    EXPECT_EQ(a.texts.subject, "Q1");
    EXPECT_EQ(a.texts.message, "Figures");
    EXPECT_EQ(a.texts.profile, "Work");
    EXPECT_EQ(a.texts.password, "pw");
    EXPECT_EQ(a.files, (std::vector<std::string>{"q1.pdf", "q1.csv"})) << "files in the order given";
    EXPECT_FALSE(a.dialog);
    EXPECT_FALSE(a.wide);
    EXPECT_EQ(a.language, 0x0400u) << "the user's language unless --lang";
}

TEST(SendCommandLine, AnOptionNotGivenDiffersFromAnEmptyText) {
    SendArguments a = parsed({"--subject", "", "r.pdf"});
    ASSERT_TRUE(a.texts.subject.has_value());
    EXPECT_EQ(*a.texts.subject, "");
    EXPECT_FALSE(a.texts.to.has_value());
    EXPECT_FALSE(a.texts.message.has_value());
}

TEST(SendCommandLine, AValueMayLookLikeAnOption) {
    SendArguments a = parsed({"--subject", "--dialog", "r.pdf"});
    EXPECT_EQ(a.texts.subject, "--dialog");
    EXPECT_FALSE(a.dialog);
}

TEST(SendCommandLine, WordsAfterDoubleDashAreFiles) {
    SendArguments a = parsed({"--to", "ann", "--", "--wide", "-x.pdf"});
    EXPECT_EQ(a.files, (std::vector<std::string>{"--wide", "-x.pdf"}));
    EXPECT_FALSE(a.wide);
}

TEST(SendCommandLine, ModesAndFiles) {
    SendArguments dialog = parsed({"--dialog", "--lang", "0x0407", "--save-options", "s.opt", "r.pdf"});
    EXPECT_TRUE(dialog.dialog);
    EXPECT_EQ(dialog.language, 0x0407u);
    EXPECT_EQ(dialog.saveOptionsFile, "s.opt");
    SendArguments saved = parsed({"--options", "s.opt", "r.pdf"});
    EXPECT_EQ(saved.optionsFile, "s.opt");
    SendArguments wide = parsed({"--wide", "--to", "ann", "--lang", "1031", "r.pdf"});
    EXPECT_TRUE(wide.wide);
    EXPECT_EQ(wide.language, 1031u);
}

struct Mistake {
    const char *what;
    std::vector<std::string> words;
};

class SendUsageError : public testing::TestWithParam<Mistake> {};

TEST_P(SendUsageError, IsRefusedWithAReason) {
    SendArguments arguments;
    std::string error;
    EXPECT_FALSE(parseSendArguments(GetParam().words, arguments, error)) << GetParam().what;
    EXPECT_FALSE(error.empty()) << "a usage error says why";
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, SendUsageError,
    testing::Values(Mistake{"no file", {"--to", "ann"}}, Mistake{"no value", {"r.pdf", "--to"}},
                    Mistake{"unknown option", {"--frob", "r.pdf"}}, Mistake{"short option", {"-t", "r.pdf"}},
                    Mistake{"given twice", {"--to", "a", "--to", "b", "r.pdf"}},
                    Mistake{"dialog with options file", {"--dialog", "--options", "s.opt", "r.pdf"}},
                    Mistake{"dialog with texts", {"--dialog", "--subject", "s", "r.pdf"}},
                    Mistake{"options file with texts", {"--options", "s.opt", "--to", "ann", "r.pdf"}},
                    Mistake{"options file with wide", {"--options", "s.opt", "--wide", "r.pdf"}},
                    Mistake{"dialog with wide", {"--dialog", "--wide", "r.pdf"}},
                    Mistake{"language not a number", {"--lang", "german", "r.pdf"}},
                    Mistake{"negative language", {"--lang", "-1", "r.pdf"}},
                    Mistake{"language too large", {"--lang", "0x100000000", "r.pdf"}},
                    Mistake{"empty options file name", {"--options", "", "r.pdf"}},
                    Mistake{"options file twice", {"--save-options", "a", "--save-options", "b", "r.pdf"}},
                    Mistake{"empty file name", {"--to", "ann", ""}}));

TEST(ListCommandLine, LanguageOrNothing) {
    ListArguments none, german;
    std::string error;
    EXPECT_TRUE(parseListArguments({}, none, error));
    EXPECT_FALSE(none.haveLanguage);
    EXPECT_TRUE(parseListArguments({"--lang", "0x0407"}, german, error));
    EXPECT_TRUE(german.haveLanguage);
    EXPECT_EQ(german.language, 0x0407u);
    for (const std::vector<std::string> &words : std::vector<std::vector<std::string>>{
             {"--lang"}, {"--lang", "x"}, {"extra"}, {"--lang", "1", "--lang", "2"}}) {
        ListArguments arguments;
        EXPECT_FALSE(parseListArguments(words, arguments, error)) << testing::PrintToString(words);
    }
}

}  // namespace
