// What an options record or flat block says -- the seven texts and the table -- taken apart
// into owned values, whichever form and width carries it, so that two can be compared after
// both are released. Used natively by the fuzz targets and under Wine by the sweeps.
#pragma once

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "byte_fields.h"
#include "flat_block.h"
#include "uxdmapi.h"

namespace uxd_test {

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

// Text bytes as they are, without the terminator (two bytes a unit for UTF-16).
struct Content {
    Bytes texts[kOptionTextCount];
    std::vector<Entry> entries;
};

// `size` bytes at `at`; nullopt for a null pointer.
inline Bytes bytesAt(const void *at, std::size_t size) {
    return at ? Bytes(std::string(static_cast<const char *>(at), size)) : std::nullopt;
}

inline Bytes flatText(const uxd::FlatText &t, TextWidth width) {
    return bytesAt(t.bytes, t.bytes ? t.byteLength - std::size_t(width) : 0);
}

inline Content contentOf(const uxd::FlatBlockView &view) {
    Content c;
    for (int i = 0; i < kOptionTextCount; ++i) c.texts[i] = flatText(view.texts[i], view.width);
    for (uint16_t i = 0; i < view.nRecipients; ++i) {
        uxd::FlatEntry f = view.entry(i);
        c.entries.push_back({f.ulReserved, f.ulRecipClass, flatText(f.name, view.width),
                             flatText(f.address, view.width), f.ulEIDSize, bytesAt(f.entryId, f.ulEIDSize)});
    }
    return c;
}

inline Bytes pointerText(const void *text, TextWidth width) {
    if (!text) return std::nullopt;
    const auto *bytes = static_cast<const char *>(text);
    std::size_t length = width == TextWidth::Ansi ? std::strlen(bytes) : 0;
    while (width == TextWidth::Wide && (bytes[length] || bytes[length + 1])) length += 2;
    return std::string(bytes, length);
}

// A pointer-form record of either width (the ANSI and UTF-16 entries share one layout). A
// count without a table reads as no entries, which no comparison with a real record passes.
inline Content contentOf(const void *record, TextWidth width) {
    Content c;
    if (!record) return c;
    for (int i = 0; i < kOptionTextCount; ++i)
        c.texts[i] = pointerText(readField<const void *>(record, uxd::kOptionTextField[i]), width);
    const auto *table = readField<const UXDRecipDesc *>(record, uxd::kTableField);
    for (uint16_t i = 0; table && i < readField<uint16_t>(record, uxd::kCountField); ++i) {
        const UXDRecipDesc &r = table[i];
        c.entries.push_back({r.ulReserved, r.ulRecipClass, pointerText(r.lpszName, width),
                             pointerText(r.lpszAddress, width), r.ulEIDSize, bytesAt(r.lpEntryID, r.ulEIDSize)});
    }
    return c;
}

enum class TextMatch {
    Exact,     // bytes for bytes
    Presence,  // given or not: the text went through a page that need not give it back
};

// The first difference of `got` from `expected`, "" when there is none. With `mayLose` a
// string or identifier may be null where one was expected (what a copy that could not be
// allocated leaves); `lost` counts those.
inline std::string differenceOf(const Content &expected, const Content &got, TextMatch match, bool mayLose,
                                int &lost) {
    char why[200] = "";
    auto same = [&](const Bytes &e, const Bytes &g, bool compareBytes, const char *field, std::size_t at) {
        if (*why) return;
        if (mayLose && e && !g) return void(++lost);
        if (bool(e) != bool(g))
            std::snprintf(why, sizeof why, "%s %zu expected %s, got %s", field, at, e ? "given" : "null",
                          g ? "given" : "null");
        else if (e && compareBytes && *e != *g)
            std::snprintf(why, sizeof why, "%s %zu expected %zu bytes \"%.40s\", got %zu \"%.40s\"", field, at,
                          e->size(), e->c_str(), g->size(), g->c_str());
    };
    const bool texts = match == TextMatch::Exact;
    for (int i = 0; i < kOptionTextCount; ++i) same(expected.texts[i], got.texts[i], texts, "text", i);
    if (expected.entries.size() != got.entries.size())
        return "expected " + std::to_string(expected.entries.size()) + " entries, got " +
               std::to_string(got.entries.size());
    for (std::size_t i = 0; i < expected.entries.size() && !*why; ++i) {
        const Entry &e = expected.entries[i], &g = got.entries[i];
        if (e.reserved != g.reserved || e.recipClass != g.recipClass || e.idSize != g.idSize)
            std::snprintf(why, sizeof why, "entry %zu expected reserved/class/identifier size %u/%u/%u, got %u/%u/%u",
                          i, e.reserved, e.recipClass, e.idSize, g.reserved, g.recipClass, g.idSize);
        same(e.name, g.name, texts, "name of entry", i);
        same(e.address, g.address, texts, "address of entry", i);
        same(e.id, g.id, true, "identifier of entry", i);
    }
    return why;
}

}  // namespace uxd_test
