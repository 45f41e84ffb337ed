// Recipient names as typed by people and stored by hosts: split at ";" with blanks trimmed,
// joined with "; " into a fixed buffer without ever cutting a name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recipient_text.h"

using namespace uxd;

TEST(RecipientText, SplitsAtSemicolonsAndTrimsBlanksOnly) {
    const struct { const char *text; std::vector<std::string> names; } cases[] = {
        {"  sales ;;support  ;", {"sales", "support"}},
        {"; ;  ;;", {}},
        {"Ann\t; \tBob", {"Ann\t", "\tBob"}},
    };
    for (const auto &c : cases) {
        std::string text = c.text;
        std::vector<std::string> got;
        forEachRecipientName(&text[0], [&](const char *name) { return got.push_back(name), true; });
        EXPECT_EQ(got, c.names) << "text \"" << c.text << "\"";
    }
}

TEST(RecipientText, JoinsWholeNamesWithinTheCapacity) {
    const std::string huge(6000, 'x');
    const struct { std::vector<const char *> names; std::size_t capacity; std::string expected; bool complete; } cases[] = {
        {{"Ann", nullptr, "Bob"}, 5120, "Ann; Bob", true},
        {{"Ann", "Bob"}, 9, "Ann; Bob", true},    // an exact fit
        {{"Ann", "Bob", "Cy"}, 8, "Ann", false},  // Bob does not fit whole, and nothing after him
        {{huge.c_str()}, 5120, "", false},
        {{"Ann"}, 0, "", false},
    };
    for (const auto &c : cases) {
        std::vector<char> buffer(c.capacity + 8, '#');  // guard bytes past the capacity
        RecipientJoiner joiner(buffer.data(), c.capacity);
        for (const char *name : c.names) joiner.append(name);
        const std::string got = c.capacity ? std::string(buffer.data()) : "";
        EXPECT_EQ(got, c.expected) << "capacity " << c.capacity;
        EXPECT_EQ(joiner.complete(), c.complete) << "capacity " << c.capacity << ", got \"" << got << "\"";
        EXPECT_EQ(std::string(buffer.end() - 8, buffer.end()), "########") << "written past capacity " << c.capacity;
    }
}
