// Recipient names as typed by people and stored by hosts: splitting, trimming and joining
// within a fixed buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "recipient_text.h"

using namespace uxd;

namespace {
std::vector<std::string> split(std::string text) {
    std::vector<std::string> names;
    forEachRecipientName(&text[0], [&](const char *name) {
        names.push_back(name);
        return true;
    });
    return names;
}

std::string join(const std::vector<std::string> &names, size_t capacity, bool *complete = nullptr) {
    std::vector<char> buffer(capacity + 8, '#');  // guard bytes after the capacity
    RecipientJoiner joiner(buffer.data(), capacity);
    for (const std::string &name : names) joiner.append(name.c_str());
    for (size_t i = capacity; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], '#') << "written past the capacity at " << i;
    if (complete) *complete = joiner.complete();
    return capacity ? std::string(buffer.data()) : std::string();
}
}  // namespace

TEST(RecipientText, SplitsAtSemicolonsAndTrimsBlanksOnly) {
    const struct {
        const char *text;
        std::vector<std::string> names;
    } cases[] = {
        {"  sales ;;support  ;", {"sales", "support"}},
        {"; ;  ;;", {}},
        {"", {}},
        {"Ann\t; Bob", {"Ann\t", "Bob"}},          // only blanks are trimmed
        {"\tAnn", {"\tAnn"}},
        {"Ann;Ann", {"Ann", "Ann"}},               // names are not de-duplicated
        {"Ann Archer", {"Ann Archer"}},            // inner blanks stay
        {"a;b;c", {"a", "b", "c"}},
    };
    for (const auto &c : cases) EXPECT_EQ(split(c.text), c.names) << "text \"" << c.text << "\"";
}

TEST(RecipientText, SplitStopsWhenTheTakerDoes) {
    std::string text = "a;b;c";
    int taken = 0;
    EXPECT_FALSE(forEachRecipientName(&text[0], [&](const char *) { return ++taken < 2; }));
    EXPECT_EQ(taken, 2);
}

TEST(RecipientText, TrimTrailingBlanksReturnsTheLength) {
    char text[] = "sales   ";
    EXPECT_EQ(trimTrailingBlanks(text), 5u);
    EXPECT_STREQ(text, "sales");
    char blanks[] = "   ";
    EXPECT_EQ(trimTrailingBlanks(blanks), 0u);
    char tab[] = "x\t";
    EXPECT_EQ(trimTrailingBlanks(tab), 2u);
}

TEST(RecipientText, JoinsWithSemicolonAndBlank) {
    EXPECT_EQ(join({"sales", "support"}, 5120), "sales; support");
    EXPECT_EQ(join({}, 5120), "");
    EXPECT_EQ(join({"one"}, 5120), "one");
}

TEST(RecipientText, JoinNeverCutsANameOrPassesTheCapacity) {
    bool complete = true;
    // "Ann; Bob" is 8 characters: it fits exactly in 9 bytes.
    EXPECT_EQ(join({"Ann", "Bob"}, 9, &complete), "Ann; Bob");
    EXPECT_TRUE(complete);
    EXPECT_EQ(join({"Ann", "Bob"}, 8, &complete), "Ann") << "Bob would not fit whole";
    EXPECT_FALSE(complete);
    EXPECT_EQ(join({"Ann", "Bob", "Cy"}, 8, &complete), "Ann") << "nothing after a left-out name";
    EXPECT_EQ(join({std::string(6000, 'x')}, 5120, &complete), "");
    EXPECT_FALSE(complete);
    EXPECT_EQ(join({"Ann"}, 0, &complete), "") << "no room at all";
    EXPECT_FALSE(complete);
}

TEST(RecipientText, NullNameContributesNothing) {
    char buffer[32];
    RecipientJoiner joiner(buffer, sizeof buffer);
    joiner.append("Ann");
    joiner.append(nullptr);
    joiner.append("Bob");
    EXPECT_STREQ(buffer, "Ann; Bob");
    EXPECT_TRUE(joiner.complete());
}
