// libFuzzer: recipient names as hosts type them, split and joined into a buffer of a capacity
// the input picks. A joined text that held a cut name would be resolved as somebody else.
// Input: a 16-bit capacity choice, a byte choosing where the parser's caller stops, a flags
// byte (bit 0: a null name between the names), then the text.
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "recipient_text.h"

using namespace uxd;
using namespace uxd_fuzz;

namespace {

using Names = std::vector<std::string>;

// The names as the rule says: pieces between ";", blanks (0x20 only) cut from both ends,
// empty pieces dropped. Written here independently of the parser.
Names expectedNames(const std::string &text) {
    Names names;
    std::istringstream pieces(text);
    for (std::string piece; std::getline(pieces, piece, ';');) {
        const std::size_t first = piece.find_first_not_of(' ');
        if (first != std::string::npos) names.push_back(piece.substr(first, piece.find_last_not_of(' ') + 1 - first));
    }
    return names;
}

// Parses a copy of `text`; with `stopAfter` < the count the caller stops after that many.
Names parse(const std::string &text, std::size_t stopAfter, bool &finished) {
    std::vector<char> copy(text.c_str(), text.c_str() + text.size() + 1);
    Names names;
    finished = forEachRecipientName(copy.data(), [&](const char *name) {
        names.push_back(name);
        return names.size() != stopAfter;
    });
    return names;
}

std::string joined(const Names &names, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += (i ? "; " : "") + names[i];
    return text;
}

void checkParser(const std::string &text, const Names &expected, std::size_t stopAfter) {
    bool finished = false;
    Names got = parse(text, stopAfter, finished);
    const bool stops = stopAfter != 0 && stopAfter <= expected.size();
    const std::size_t count = stops ? stopAfter : expected.size();
    check(finished == !stops, "parser: the caller stops after %zu of %zu names, parser says %s", stopAfter,
          expected.size(), finished ? "finished" : "stopped");
    check(got == Names(expected.begin(), expected.begin() + count), "parser: expected %zu names \"%.60s\", got %zu \"%.60s\"",
          count, joined(expected, count).c_str(), got.size(), joined(got, got.size()).c_str());
}

void checkJoiner(const Names &names, std::size_t capacity, bool nullBetween) {
    constexpr std::size_t kGuard = 16;
    std::vector<char> buffer(capacity + kGuard, '#');
    RecipientJoiner joiner(buffer.data(), capacity);
    std::size_t held = 0;
    bool refused = false;
    for (const std::string &name : names) {
        bool taken = joiner.append(name.c_str());
        check(!refused || !taken, "joiner: \"%.60s\" taken after an earlier name was left out", name.c_str());
        refused = refused || !taken;
        held += taken;
        if (!nullBetween) continue;
        const bool complete = joiner.complete();
        joiner.append(nullptr);
        check(joiner.complete() == complete, "joiner: a null name changed complete() from %d", complete);
    }
    check(std::string(buffer.end() - kGuard, buffer.end()) == std::string(kGuard, '#'),
          "joiner: wrote past its capacity of %zu", capacity);
    if (capacity == 0) return check(!joiner.complete(), "joiner: complete with no room even for the terminator");

    const std::size_t length = strnlen(buffer.data(), capacity);
    check(length < capacity, "joiner: no terminator within the capacity of %zu", capacity);
    const std::string text(buffer.data(), length), expected = joined(names, held);
    check(text == expected, "joiner: expected the %zu whole names \"%.60s\", got \"%.60s\"", held, expected.c_str(),
          text.c_str());
    check(joiner.complete() == (held == names.size()), "joiner: holds %zu of %zu names, complete() says %d", held,
          names.size(), joiner.complete());
    // Left out only for want of room: the next name with its separator would not have fitted.
    if (held < names.size())
        check(length + (held ? 2 : 0) + names[held].size() + 1 > capacity,
              "joiner: left out \"%.60s\" that fitted in %zu after %zu bytes", names[held].c_str(), capacity, length);
    bool finished = false;
    check(parse(text, 0, finished) == Names(names.begin(), names.begin() + held),
          "joiner: \"%.60s\" does not parse back into its names", text.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzInput in(data, size);
    const uint16_t capacityChoice = in.take<uint16_t>();
    const std::size_t stopAfter = in.take<uint8_t>();
    const bool nullBetween = in.take<uint8_t>() & 1;
    std::string text = in.rest();
    text.resize(strnlen(text.c_str(), text.size()));  // a C string ends at its first NUL
    const Names names = expectedNames(text);
    checkParser(text, names, stopAfter);
    // Joined names take at most twice the text's bytes: around the fit is where cuts happen.
    checkJoiner(names, capacityChoice % (2 * text.size() + 8), nullBetween);
    return 0;
}
