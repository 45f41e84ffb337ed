// Options records built from fuzz bytes for the allocation-failure target, whose seeds
// tests/fuzz/make_corpus.py writes in the format described here, and what a block or a
// converted record keeps of them.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "byte_fields.h"
#include "fuzz_input.h"
#include "owned_block.h"
#include "record_content.h"

namespace uxd_fuzz {

using namespace uxd_test;

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

// Aborts on the first difference of `got` from `expected`; returns how many strings or
// identifiers were lost where `mayLose` allows it.
inline int checkContent(const Content &expected, const Content &got, TextMatch match, bool mayLose,
                        const char *what) {
    int lost = 0;
    const std::string difference = differenceOf(expected, got, match, mayLose, lost);
    check(difference.empty(), "%s: %s", what, difference.c_str());
    return lost;
}

// Owners of what the module hands out: encoded blocks, and records of either form.
struct ReleaseRecord {
    void operator()(void *record) const noexcept { uxd::releaseOptionsRecord(record); }
};
using OwnedBlock = uxd::unique_block<unsigned char>;
template <class Record>
using OwnedRecord = uxd::unique_block<Record, ReleaseRecord>;

}  // namespace uxd_fuzz
