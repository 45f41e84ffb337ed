// Options blocks written out by hand, field by field at their byte offsets, so that the
// encoder and the conversions are compared with the interface's layouts rather than with
// each other; and small helpers to look into blocks and records.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "uxdmapi.h"

// Exported by the module on Windows; natively the header does not declare it.
extern "C" UXDResult UXDFreeDestinationOptions(uint32_t reserved, MAPIDestinationOptions *record) noexcept;

namespace blocks {

using Bytes = std::vector<unsigned char>;
using Wide = std::u16string;

// Header and table-entry field offsets, spelled out as the layout gives them.
enum : std::size_t {
    kStructSizeAt = 0, kToAt = 2, kCcAt = 10, kBccAt = 18, kSubjectAt = 26, kMessageAt = 34, kCountAt = 42,
    kTableAt = 44, kProfileAt = 52, kPasswordAt = 60, kFlatSizeAt = 68, kStringBytesAt = 70, kIdBytesAt = 72,
};
enum : std::size_t { kEntryReserved = 0, kEntryClass = 4, kEntryName = 8, kEntryAddress = 16,
                     kEntryIdSize = 24, kEntryId = 32 };
constexpr std::size_t kTextFields[7] = {kToAt, kCcAt, kBccAt, kSubjectAt, kMessageAt, kProfileAt, kPasswordAt};

inline void put16(Bytes &b, std::size_t at, uint16_t v) { std::memcpy(&b[at], &v, 2); }
inline void put32(Bytes &b, std::size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
inline void put64(Bytes &b, std::size_t at, uint64_t v) { std::memcpy(&b[at], &v, 8); }
inline uint16_t get16(const void *b, std::size_t at) {
    uint16_t v;
    std::memcpy(&v, static_cast<const unsigned char *>(b) + at, 2);
    return v;
}
inline uint32_t get32(const void *b, std::size_t at) {
    uint32_t v;
    std::memcpy(&v, static_cast<const unsigned char *>(b) + at, 4);
    return v;
}
inline uint64_t get64(const void *b, std::size_t at) {
    uint64_t v;
    std::memcpy(&v, static_cast<const unsigned char *>(b) + at, 8);
    return v;
}
inline void putAnsi(Bytes &b, std::size_t at, const std::string &s) {
    std::memcpy(&b[at], s.c_str(), s.size() + 1);
}
inline void putWide(Bytes &b, std::size_t at, const Wide &s) {
    for (std::size_t i = 0; i <= s.size(); ++i) put16(b, at + 2 * i, i < s.size() ? s[i] : 0);
}

inline Bytes header(uint16_t flatSize, uint16_t stringBytes, uint16_t idBytes, uint16_t count) {
    Bytes b(flatSize, 0);
    put16(b, kStructSizeAt, 70);
    put16(b, kFlatSizeAt, flatSize);
    put16(b, kStringBytesAt, stringBytes);
    put16(b, kIdBytesAt, idBytes);
    put16(b, kCountAt, count);
    return b;
}

// A job with seven empty texts and no recipients, as the encoder makes it.
inline Bytes emptyAnsi81() {
    Bytes b = header(81, 7, 0, 0);
    for (int i = 0; i < 7; ++i) put64(b, kTextFields[i], 74 + i);
    return b;
}

// The same converted to UTF-16: each text one zero unit.
inline Bytes emptyWide88() {
    Bytes b = header(88, 14, 0, 0);
    for (int i = 0; i < 7; ++i) put64(b, kTextFields[i], 74 + 2 * i);
    return b;
}

// And back to ANSI: stringBytes stays 14, seven bytes at the end belong to no field.
inline Bytes emptyAnsi88() {
    Bytes b = header(88, 14, 0, 0);
    for (int i = 0; i < 7; ++i) put64(b, kTextFields[i], 74 + i);
    return b;
}

const char kOneTo[] = "Ann";
const char kOneName[] = "Ann";
const char kOneAddress[] = "SMTP:a@b.c";  // ten characters
inline Bytes oneEntryId() {
    Bytes id(16);
    for (int i = 0; i < 16; ++i) id[i] = static_cast<unsigned char>(0xE0 + i);
    return id;
}

// To text of three characters and one resolved recipient with a 16-byte entry identifier.
inline Bytes oneRecipientAnsi155() {
    Bytes b = header(155, 25, 16, 1);
    putAnsi(b, 74, kOneTo);
    for (int i = 0; i < 7; ++i) put64(b, kTextFields[i], i == 0 ? 74 : 77 + i);
    put64(b, kTableAt, 84);
    put32(b, 84 + kEntryReserved, 0);
    put32(b, 84 + kEntryClass, 1);
    put64(b, 84 + kEntryName, 124);
    put64(b, 84 + kEntryAddress, 128);
    put32(b, 84 + kEntryIdSize, 16);
    put64(b, 84 + kEntryId, 139);
    putAnsi(b, 124, kOneName);
    putAnsi(b, 128, kOneAddress);
    Bytes id = oneEntryId();
    std::memcpy(&b[139], id.data(), 16);
    return b;
}

// The same in UTF-16: every string twice its bytes, stringBytes 50.
inline Bytes oneRecipientWide180() {
    Bytes b = header(180, 50, 16, 1);
    putWide(b, 74, u"Ann");
    for (int i = 0; i < 7; ++i) put64(b, kTextFields[i], i == 0 ? 74 : 80 + 2 * i);
    put64(b, kTableAt, 94);
    put32(b, 94 + kEntryClass, 1);
    put64(b, 94 + kEntryName, 134);
    put64(b, 94 + kEntryAddress, 142);
    put32(b, 94 + kEntryIdSize, 16);
    put64(b, 94 + kEntryId, 164);
    putWide(b, 134, u"Ann");
    putWide(b, 142, u"SMTP:a@b.c");
    Bytes id = oneEntryId();
    std::memcpy(&b[164], id.data(), 16);
    return b;
}

inline Bytes copyOf(const void *block) {
    const auto *p = static_cast<const unsigned char *>(block);
    return Bytes(p, p + get16(block, kFlatSizeAt));
}

// Expected vs got, naming the first byte that differs.
inline ::testing::AssertionResult sameBytes(const Bytes &expected, const Bytes &got) {
    if (expected == got) return ::testing::AssertionSuccess();
    std::size_t n = std::min(expected.size(), got.size());
    for (std::size_t i = 0; i < n; ++i)
        if (expected[i] != got[i])
            return ::testing::AssertionFailure()
                   << "first difference at byte " << i << ": expected " << int(expected[i]) << ", got "
                   << int(got[i]) << " (sizes " << expected.size() << " and " << got.size() << ")";
    return ::testing::AssertionFailure() << "expected " << expected.size() << " bytes, got " << got.size();
}

// UTF-16 strings of the platform's UXDWideChar type.
inline std::vector<UXDWideChar> units(const Wide &s) {
    std::vector<UXDWideChar> v(s.begin(), s.end());
    v.push_back(0);
    return v;
}
inline Wide wideText(const UXDWideChar *s) {
    Wide w;
    if (s)
        for (; *s; ++s) w.push_back(static_cast<char16_t>(*s));
    return w;
}
// A UTF-16 string at a byte offset of a block (any alignment).
inline Wide wideAt(const void *block, uint64_t at) {
    Wide w;
    for (uint16_t u; (u = get16(block, at)) != 0; at += 2) w.push_back(static_cast<char16_t>(u));
    return w;
}
inline std::string ansiAt(const void *block, uint64_t at) {
    return std::string(static_cast<const char *>(block) + at);
}

}  // namespace blocks
