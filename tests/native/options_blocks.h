// Options blocks written out field by field at the layout's byte offsets, so the encoder and
// the conversions are checked against the layout rather than against each other; and what
// the options tests share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "allocation.h"
#include "codepage_standin.h"
#include "encoded_options.h"
#include "flat_block.h"

// Exported by the module on Windows; natively the header does not declare it.
extern "C" UXDResult UXDFreeDestinationOptions(uint32_t reserved, MAPIDestinationOptions *record) noexcept;

namespace blocks {
using namespace uxd;
using Bytes = std::vector<unsigned char>;
using Texts = std::vector<const char *>;  // the seven texts in layout order

// Little-endian fields of `width` bytes, as on the Windows targets.
inline void put(Bytes &b, std::size_t at, std::size_t width, uint64_t v) { std::memcpy(&b[at], &v, width); }
inline uint64_t get(const void *p, std::size_t at, std::size_t width) {
    uint64_t v = 0;
    std::memcpy(&v, static_cast<const unsigned char *>(p) + at, width);
    return v;
}
struct Field { std::size_t at, width; uint64_t value; };
inline Bytes with(Bytes b, std::initializer_list<Field> fields) {
    for (const Field &f : fields) put(b, f.at, f.width, f.value);
    return b;
}
// A text and its terminator, k bytes a unit (in ANSI each unit's low byte).
inline void putText(Bytes &b, std::size_t at, const std::u16string &s, std::size_t k) {
    for (std::size_t i = 0; i <= s.size(); ++i) put(b, at + k * i, k, i < s.size() ? s[i] : 0);
}

// A header: the sizes, the count and the seven text offsets (0: not given).
inline Bytes flat(uint16_t size, uint16_t stringBytes, uint16_t idBytes, uint16_t count, std::vector<uint64_t> texts) {
    Bytes b = with(Bytes(size, 0), {{0, 2, 70}, {42, 2, count}, {68, 2, size}, {70, 2, stringBytes}, {72, 2, idBytes}});
    const std::size_t textFields[7] = {2, 10, 18, 26, 34, 52, 60};
    for (int i = 0; i < 7; ++i) put(b, textFields[i], 8, texts[i]);
    return b;
}

// An empty job: seven empty texts. Wide to ANSI keeps the wide stringBytes, so seven bytes spare.
inline Bytes emptyAnsi81() { return flat(81, 7, 0, 0, {74, 75, 76, 77, 78, 79, 80}); }
inline Bytes emptyWide88() { return flat(88, 14, 0, 0, {74, 76, 78, 80, 82, 84, 86}); }
inline Bytes emptyAnsi88() { return flat(88, 14, 0, 0, {74, 75, 76, 77, 78, 79, 80}); }

const unsigned char kEntryId[16] = {0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7,
                                    0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF};

// To "Ann" and one resolved To recipient, Ann <SMTP:a@b.c> with kEntryId; k bytes a unit:
// 155 bytes in ANSI, 180 in UTF-16.
inline Bytes oneRecipient(std::size_t k) {
    const bool w = k == 2;
    const std::size_t table = w ? 94 : 84, name = w ? 134 : 124, address = w ? 142 : 128, id = w ? 164 : 139;
    Bytes b = with(w ? flat(180, 50, 16, 1, {74, 82, 84, 86, 88, 90, 92})
                     : flat(155, 25, 16, 1, {74, 78, 79, 80, 81, 82, 83}),
                   {{44, 8, table}, {table + 4, 4, 1}, {table + 8, 8, name}, {table + 16, 8, address},
                    {table + 24, 4, 16}, {table + 32, 8, id}});
    putText(b, 74, u"Ann", k);
    putText(b, name, u"Ann", k);
    putText(b, address, u"SMTP:a@b.c", k);
    std::memcpy(&b[id], kEntryId, 16);
    return b;
}

inline UXDRecipDesc recipient(uint32_t reserved, uint32_t recipClass, const char *name, const char *address,
                              uint32_t idSize = 0, const void *id = nullptr) {
    return {reserved, recipClass, const_cast<char *>(name), const_cast<char *>(address), idSize, const_cast<void *>(id)};
}

// Encodes into `out`; after a failure no block may be handed out nor the size touched.
inline UXDResult encode(const Texts &texts, const std::vector<UXDRecipDesc> &entries, Bytes &out) {
    unsigned char *block = nullptr;
    uint16_t size = 0xBEEF;
    UXDResult r = encodeOptions(texts.data(), entries.data(), uint32_t(entries.size()), &block, &size);
    if (r != UXD_SUCCESS) EXPECT_TRUE(!block && size == 0xBEEF) << "code " << r << " with a block or a size";
    out = block ? Bytes(block, block + size) : Bytes();
    release(block);
    return r;
}

// Every text, then every entry's "reserved/class/identifier size", name, address and
// identifier, without terminators ("-": not given).
inline std::vector<std::string> content(const FlatBlockView &v) {
    auto text = [&](const FlatText &t) {
        return t.bytes ? std::string(reinterpret_cast<const char *>(t.bytes), t.byteLength - int(v.width)) : "-";
    };
    std::vector<std::string> out;
    for (const FlatText &t : v.texts) out.push_back(text(t));
    for (uint16_t i = 0; i < v.nRecipients; ++i) {
        FlatEntry e = v.entry(i);
        const std::string numbers = std::to_string(e.ulReserved) + "/" + std::to_string(e.ulRecipClass) + "/";
        out.insert(out.end(), {numbers + std::to_string(e.ulEIDSize), text(e.name), text(e.address),
                               e.entryId ? std::string(reinterpret_cast<const char *>(e.entryId), e.ulEIDSize) : "-"});
    }
    return out;
}

// Expected vs got, naming the first byte that differs.
inline ::testing::AssertionResult sameBytes(const Bytes &expected, const Bytes &got) {
    std::size_t i = std::mismatch(expected.begin(), expected.end(), got.begin(), got.end()).first - expected.begin();
    auto at = [&](const Bytes &b) { return i < b.size() ? std::to_string(b[i]) : std::string("the end"); };
    if (expected == got) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at byte " << i << " expected " << at(expected) << ", got " << at(got)
                                         << " (" << expected.size() << " vs " << got.size() << " bytes)";
}

// Each test starts on Windows-1252 with no failure armed, and must leave no block behind.
class Options : public ::testing::Test {
protected:
    void SetUp() override { codepage_standin::use(codepage_standin::CodePage::Windows1252); }
    void TearDown() override {
        allocation_fault::reset();
        EXPECT_EQ(allocation_fault::outstanding(), before_) << "blocks left behind";
    }
    const long before_ = allocation_fault::outstanding();
};

}  // namespace blocks
