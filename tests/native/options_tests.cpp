// The encoded options block: the encoder's layout byte for byte, and its refusal of content
// the 16-bit sizes cannot describe.
#include "options_blocks.h"

using namespace blocks;

namespace {

class EncodedOptions : public Options {};

TEST_F(EncodedOptions, EmptyJobAndOneRecipientGiveTheReferenceBlocks) {
    Bytes got;
    ASSERT_EQ(encode(Texts(7, ""), {}, got), UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(emptyAnsi81(), got)) << "empty job";
    Texts texts(7, "");
    texts[kToNames] = "Ann";
    ASSERT_EQ(encode(texts, {recipient(0, 1, "Ann", "SMTP:a@b.c", 16, kEntryId)}, got), UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(oneRecipient(1), got)) << "one recipient";
}

TEST_F(EncodedOptions, RefusesContentThe16BitSizesCannotDescribe) {
    const std::size_t fullMessage = 65535 - 74 - 6 - 1;  // the header and six empty texts
    static const unsigned char ids[64] = {};
    using Table = std::vector<UXDRecipDesc>;
    const struct { const char *what; std::string subject, message; Table table; UXDResult code; } cases[] = {
        {"a block of exactly 65535 bytes", "", std::string(fullMessage, 'm'), {}, UXD_SUCCESS},
        {"one byte more", "", std::string(fullMessage + 1, 'm'), {}, UXD_E_INVALID_ARGUMENT},
        {"texts passing 65535 together", std::string(32768, 's'), std::string(32768, 'm'), {}, UXD_E_INVALID_ARGUMENT},
        {"a table too long for the block", "", "", Table(1637, recipient(0, 1, nullptr, nullptr)),
         UXD_E_INVALID_ARGUMENT},
        {"identifier sizes wrapping past 2^32", "", "",
         {recipient(0, 1, nullptr, nullptr, 0xFFFFFFF0u, ids), recipient(0, 1, nullptr, nullptr, 0x20, ids)},
         UXD_E_INVALID_ARGUMENT},
    };
    for (const auto &c : cases) {
        Texts texts(7, "");
        texts[kSubject] = c.subject.c_str();
        texts[kMessage] = c.message.c_str();
        Bytes got;
        EXPECT_EQ(encode(texts, c.table, got), c.code) << c.what;
        EXPECT_EQ(got.size(), c.code == UXD_SUCCESS ? 65535u : 0u) << c.what;
    }
}

}  // namespace
