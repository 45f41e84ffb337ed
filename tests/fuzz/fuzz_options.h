// Options records built from fuzz bytes, and their content as a block or a converted record
// gives it back, in one comparable shape, for the allocation-failure target, whose seeds tests/fuzz/make_corpus.py writes in the format described here.
#pragma once

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "allocation.h"
#include "byte_fields.h"
#include "flat_block.h"
#include "fuzz_input.h"
#include "uxdmapi.h"

namespace uxd_fuzz {

using uxd::kOptionTextCount;
using uxd::readField;
using uxd::TextWidth;

using Bytes = std::optional<std::string>;  // a string or identifier; nullopt: not given (null)

struct Entry {
    uint32_t reserved = 0;
    uint32_t recipClass = 0;
    Bytes name, address;
    uint32_t idSize = 0;
    Bytes id;  // nullopt: a null lpEntryID, whatever idSize says
};

// The seven texts and the table: what a record says, whichever form carries it. Text bytes
// are kept as they are, without the terminator (two bytes a unit for UTF-16).
struct Content {
    Bytes texts[kOptionTextCount];
    std::vector<Entry> entries;
};

// The input record, from the bytes: a flags byte (bit 0: the toy double-byte code page), the
// seven texts, a count byte (255: 255 more than a following 16-bit value, up to 2047), then
// each entry: 32-bit reserved word and class, name, address, identifier.
//   text: a tag byte; tag & 3 = 0 null, 1 the next tag >> 2 bytes, 2 a length byte and as many
//         bytes, 3 a length (16 bits when tag & 4, else a byte), a chunk length byte and the
//         chunk, repeated to the length: large texts from short inputs, but seldom, since they
//         are slow to convert. A text ends at its first NUL, as a C string does.
//   identifier: a tag byte; tag & 3 = 0 none (size 0, null), 1 a 32-bit size and a null
//         pointer, 2 a length byte and as many bytes, 3 a 16-bit size and a first byte, the
//         following bytes counting up from it.
class InputRecord {
public:
    explicit InputRecord(FuzzInput &in) {
        doubleByte = in.take<uint8_t>() & 1;
        for (Bytes &text : content.texts) text = takeText(in);
        std::size_t count = in.take<uint8_t>();
        if (count == 255) count += in.take<uint16_t>() % 1793;
        content.entries.resize(count);
        for (Entry &e : content.entries) {
            e.reserved = in.take<uint32_t>();
            e.recipClass = in.take<uint32_t>();
            e.name = takeText(in);
            e.address = takeText(in);
            takeIdentifier(in, e);
        }
        point();
    }
    InputRecord(const InputRecord &) = delete;
    InputRecord &operator=(const InputRecord &) = delete;

    uint32_t count() const { return uint32_t(content.entries.size()); }

    bool doubleByte = false;
    Content content;
    const char *texts[kOptionTextCount] = {};
    std::vector<UXDRecipDesc> table;
    MAPIDestinationOptions record{};  // pointer form, pointing into `content`

private:
    static Bytes takeText(FuzzInput &in) {
        uint8_t tag = in.take<uint8_t>();
        std::string s;
        switch (tag & 3) {
        case 0: return std::nullopt;
        case 1: s = in.takeBytes(tag >> 2); break;
        case 2: s = in.takeBytes(in.take<uint8_t>()); break;
        default: {
            uint16_t length = tag & 4 ? in.take<uint16_t>() : in.take<uint8_t>();
            std::string chunk = in.takeBytes(in.take<uint8_t>());
            if (chunk.empty()) chunk = "x";
            while (s.size() < length) s += chunk;
            s.resize(length);
        }
        }
        s.resize(std::strlen(s.c_str()));
        return s;
    }

    static void takeIdentifier(FuzzInput &in, Entry &e) {
        uint8_t tag = in.take<uint8_t>();
        switch (tag & 3) {
        case 0: return;
        case 1: e.idSize = in.take<uint32_t>(); return;
        case 2: e.id = in.takeBytes(in.take<uint8_t>()); break;
        default: {
            e.id = std::string(in.take<uint16_t>(), '\0');
            uint8_t next = in.take<uint8_t>();
            for (char &c : *e.id) c = char(next++);
        }
        }
        e.idSize = uint32_t(e.id->size());
    }

    static char *pointer(Bytes &b) { return b ? &(*b)[0] : nullptr; }

    void point() {
        for (int i = 0; i < kOptionTextCount; ++i) texts[i] = pointer(content.texts[i]);
        for (Entry &e : content.entries)
            table.push_back({e.reserved, e.recipClass, pointer(e.name), pointer(e.address), e.idSize, pointer(e.id)});
        // The record is packed: its pointer fields are written bytewise, not through pointers.
        uxd::writeField<uint16_t>(&record, uxd::kStructSizeField, UXD_OPTIONS_SIZE);
        for (int i = 0; i < kOptionTextCount; ++i) uxd::writeField(&record, uxd::kOptionTextField[i], texts[i]);
        uxd::writeField<uint16_t>(&record, uxd::kCountField, uint16_t(count()));
        uxd::writeField<const UXDRecipDesc *>(&record, uxd::kTableField, table.empty() ? nullptr : table.data());
    }
};

// What an encoded block keeps of the input: an identifier only with a pointer and a size.
inline Content storedInABlock(const Content &input) {
    Content stored = input;
    for (Entry &e : stored.entries) {
        if (!e.id || e.idSize == 0) e.id.reset();
        e.idSize = e.id ? e.idSize : 0;
    }
    return stored;
}

// What a pointer-form conversion keeps: the size as it is, the bytes when there are any.
inline Content keptInARecord(const Content &input) {
    Content kept = input;
    for (Entry &e : kept.entries)
        if (e.idSize == 0) e.id.reset();
    return kept;
}

inline Bytes flatText(const uxd::FlatText &t, TextWidth width) {
    if (!t.bytes) return std::nullopt;
    return std::string(reinterpret_cast<const char *>(t.bytes), t.byteLength - std::size_t(width));
}

inline Content contentOf(const uxd::FlatBlockView &view) {
    Content c;
    for (int i = 0; i < kOptionTextCount; ++i) c.texts[i] = flatText(view.texts[i], view.width);
    for (uint16_t i = 0; i < view.nRecipients; ++i) {
        uxd::FlatEntry f = view.entry(i);
        Bytes id;
        if (f.entryId) id = std::string(reinterpret_cast<const char *>(f.entryId), f.ulEIDSize);
        c.entries.push_back({f.ulReserved, f.ulRecipClass, flatText(f.name, view.width),
                             flatText(f.address, view.width), f.ulEIDSize, id});
    }
    return c;
}

inline Bytes pointerText(const void *text, TextWidth width) {
    if (!text) return std::nullopt;
    const auto *bytes = static_cast<const char *>(text);
    std::size_t length = 0;
    if (width == TextWidth::Ansi) length = std::strlen(bytes);
    else
        while (bytes[length] || bytes[length + 1]) length += 2;
    return std::string(bytes, length);
}

// A pointer-form record of either width: the ANSI and UTF-16 entries share one layout.
inline Content contentOf(const void *record, TextWidth width) {
    Content c;
    for (int i = 0; i < kOptionTextCount; ++i)
        c.texts[i] = pointerText(readField<const void *>(record, uxd::kOptionTextField[i]), width);
    const auto *table = readField<const UXDRecipDesc *>(record, uxd::kTableField);
    uint16_t count = readField<uint16_t>(record, uxd::kCountField);
    check(count == 0 || table, "a record with %u entries and no table", count);
    for (uint16_t i = 0; i < count; ++i) {
        const UXDRecipDesc &r = table[i];
        Bytes id;
        if (r.lpEntryID) id = std::string(static_cast<const char *>(r.lpEntryID), r.ulEIDSize);
        c.entries.push_back({r.ulReserved, r.ulRecipClass, pointerText(r.lpszName, width),
                             pointerText(r.lpszAddress, width), r.ulEIDSize, id});
    }
    return c;
}

enum class TextMatch {
    Exact,     // bytes for bytes
    Presence,  // given or not: the text went through a page that need not give it back
};

// Compares `got` with `expected`, aborting on a difference. With `mayLose` a string or
// identifier may be null where one was expected (what a pointer-form conversion does when its
// own allocation fails). Returns how many were lost so.
inline int checkContent(const Content &expected, const Content &got, TextMatch match, bool mayLose,
                        const char *what) {
    int lost = 0;
    auto same = [&](const Bytes &e, const Bytes &g, bool compareBytes, const char *field, std::size_t at) {
        if (mayLose && e && !g) return void(++lost);
        check(bool(e) == bool(g), "%s: %s %zu expected %s, got %s", what, field, at, e ? "given" : "null",
              g ? "given" : "null");
        check(!e || !compareBytes || *e == *g, "%s: %s %zu expected %zu bytes \"%.40s\", got %zu \"%.40s\"", what,
              field, at, e ? e->size() : 0, e ? e->c_str() : "", g ? g->size() : 0, g ? g->c_str() : "");
    };
    const bool texts = match == TextMatch::Exact;
    for (int i = 0; i < kOptionTextCount; ++i) same(expected.texts[i], got.texts[i], texts, "text", i);
    check(expected.entries.size() == got.entries.size(), "%s: expected %zu entries, got %zu", what,
          expected.entries.size(), got.entries.size());
    for (std::size_t i = 0; i < expected.entries.size(); ++i) {
        const Entry &e = expected.entries[i], &g = got.entries[i];
        check(e.reserved == g.reserved && e.recipClass == g.recipClass && e.idSize == g.idSize,
              "%s: entry %zu expected reserved/class/identifier size %u/%u/%u, got %u/%u/%u", what, i, e.reserved,
              e.recipClass, e.idSize, g.reserved, g.recipClass, g.idSize);
        same(e.name, g.name, texts, "name of entry", i);
        same(e.address, g.address, texts, "address of entry", i);
        same(e.id, g.id, true, "identifier of entry", i);
    }
    return lost;
}

// Owners of what the module hands out: encoded blocks, and records of either form.
struct ReleaseBlock {
    void operator()(void *block) const { uxd::release(block); }
};
struct ReleaseRecord {
    void operator()(void *record) const { uxd::releaseOptionsRecord(record); }
};
using OwnedBlock = std::unique_ptr<unsigned char, ReleaseBlock>;
template <class Record>
using OwnedRecord = std::unique_ptr<Record, ReleaseRecord>;

}  // namespace uxd_fuzz
