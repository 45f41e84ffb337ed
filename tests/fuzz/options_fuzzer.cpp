// libFuzzer target: arbitrary bytes taken as a stored flat options block and handed to the
// reader, the encoder and both conversions, as hosts may hand back blocks that are cut short
// or damaged. The block lives in a heap buffer exactly as long as its flatSize claims (short
// inputs zero-padded), so AddressSanitizer reports any read past it. structSize is forced to
// 70; the low bit of the input's own structSize picks the code page (1: the toy double-byte
// page of the native stand-in). A zero flatSize would make the record pointer-form, full of
// wild pointers, so the input's length stands in for it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "allocation.h"
#include "byte_fields.h"
#include "codepage_standin.h"
#include "encoded_options.h"
#include "flat_block.h"
#include "options_conversion.h"

extern "C" UXDResult UXDFreeDestinationOptions(uint32_t reserved, MAPIDestinationOptions *record) noexcept;

using namespace uxd;

namespace {

[[noreturn]] void fail(const char *why) {
    std::fprintf(stderr, "options_fuzzer: %s\n", why);
    std::abort();
}

// Reads every byte the view designates, so that ASan checks what the reader hands out.
unsigned touch(const FlatBlockView &view) {
    unsigned sum = 0;
    auto read = [&](const unsigned char *p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) sum += p[i];
    };
    for (const FlatText &t : view.texts) read(t.bytes, t.byteLength);
    for (uint16_t i = 0; i < view.nRecipients; ++i) {
        FlatEntry e = view.entry(i);
        read(e.name.bytes, e.name.byteLength);
        read(e.address.bytes, e.address.byteLength);
        read(e.entryId, e.ulEIDSize);
    }
    return sum;
}

bool sameText(const FlatText &a, const FlatText &b) {
    if (!a.bytes || !b.bytes) return !a.bytes && !b.bytes;
    return a.byteLength == b.byteLength && std::memcmp(a.bytes, b.bytes, a.byteLength) == 0;
}

// Same texts, recipients and identifiers (the layouts may differ).
bool sameContent(const FlatBlockView &a, const FlatBlockView &b) {
    for (int i = 0; i < kOptionTextCount; ++i)
        if (!sameText(a.texts[i], b.texts[i])) return false;
    if (a.nRecipients != b.nRecipients) return false;
    for (uint16_t i = 0; i < a.nRecipients; ++i) {
        FlatEntry x = a.entry(i), y = b.entry(i);
        if (x.ulReserved != y.ulReserved || x.ulRecipClass != y.ulRecipClass || x.ulEIDSize != y.ulEIDSize ||
            !sameText(x.name, y.name) || !sameText(x.address, y.address) ||
            (x.ulEIDSize && std::memcmp(x.entryId, y.entryId, x.ulEIDSize) != 0))
            return false;
    }
    return true;
}

FlatBlockView readBack(const void *block, TextWidth width, const char *what) {
    FlatBlockView view;
    if (readFlatBlock(block, width, &view) != UXD_SUCCESS) fail(what);
    touch(view);
    return view;
}

// The content of a valid ANSI block, encoded anew: it must fit and read back the same.
void reencode(const FlatBlockView &ansi) {
    const char *texts[kOptionTextCount];
    for (int i = 0; i < kOptionTextCount; ++i) texts[i] = reinterpret_cast<const char *>(ansi.texts[i].bytes);
    std::vector<UXDRecipDesc> entries(ansi.nRecipients);
    for (uint16_t i = 0; i < ansi.nRecipients; ++i) {
        FlatEntry e = ansi.entry(i);
        entries[i] = UXDRecipDesc{e.ulReserved, e.ulRecipClass,
                                  const_cast<char *>(reinterpret_cast<const char *>(e.name.bytes)),
                                  const_cast<char *>(reinterpret_cast<const char *>(e.address.bytes)),
                                  e.ulEIDSize, const_cast<unsigned char *>(e.entryId)};
    }
    unsigned char *block = nullptr;
    uint16_t size = 0;
    if (encodeOptions(texts, entries.data(), uint32_t(entries.size()), &block, &size) != UXD_SUCCESS)
        fail("the encoder refused the content of a valid block");
    if (size > ansi.flatSize) fail("the encoder needed more room than the block it came from");
    if (!sameContent(ansi, readBack(block, TextWidth::Ansi, "an encoded block does not read back")))
        fail("encoding changed the content");
    release(block);
}

void checkAnsiToWide(const unsigned char *block, UXDResult readerResult, const FlatBlockView &ansi, bool singleByte) {
    MAPIDestinationOptionsW *wide = nullptr;
    uint16_t size = 0;
    UXDResult r = convertOptionsA2W(reinterpret_cast<const MAPIDestinationOptions *>(block), &wide, &size);
    if (readerResult != UXD_SUCCESS) {
        if (r != UXD_E_INVALID_ARGUMENT || wide) fail("ANSI to wide took a block the reader refuses");
        return;
    }
    // Both pages of the stand-in make at most one UTF-16 unit of a byte, so the result is
    // 74 + 2 x stringBytes + table + identifiers, and only that size may be refused.
    bool fits = kHeaderSize + 2u * ansi.stringBytes + kEntrySize * ansi.nRecipients + ansi.entryIdBytes <=
                kMaxFlatSize;
    if ((r == UXD_SUCCESS) != fits) fail("ANSI to wide: refusal does not match the size");
    if (r == UXD_E_INVALID_ARGUMENT) return;
    if (r != UXD_SUCCESS || !wide) fail("ANSI to wide failed on a valid block");
    if (size != readField<uint16_t>(wide, offsetof(MAPIDestinationOptionsW, flatSize))) fail("size out-value");
    readBack(wide, TextWidth::Wide, "an ANSI-to-wide result does not read back");
    if (singleByte) {
        // Windows-1252 maps every byte to its own unit and back.
        MAPIDestinationOptions *back = nullptr;
        if (convertOptionsW2A(wide, &back, nullptr) != UXD_SUCCESS) fail("wide to ANSI refused a wide result");
        if (!sameContent(ansi, readBack(back, TextWidth::Ansi, "a round trip does not read back")))
            fail("a 1252 round trip changed the content");
        UXDFreeDestinationOptions(0, back);
    }
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(wide));
}

void checkWideToAnsi(const unsigned char *block, UXDResult readerResult) {
    MAPIDestinationOptions *ansi = nullptr;
    uint16_t size = 0;
    UXDResult r = convertOptionsW2A(reinterpret_cast<const MAPIDestinationOptionsW *>(block), &ansi, &size);
    if (readerResult != UXD_SUCCESS) {
        if (r != UXD_E_INVALID_ARGUMENT || ansi) fail("wide to ANSI took a block the reader refuses");
        return;
    }
    // Both pages of the stand-in need at most two bytes for a unit, so no string needs more
    // room than its UTF-16 form had: a valid block always converts.
    if (r != UXD_SUCCESS || !ansi) fail("wide to ANSI failed on a valid block");
    if (size != readField<uint16_t>(ansi, offsetof(MAPIDestinationOptions, flatSize))) fail("size out-value");
    readBack(ansi, TextWidth::Ansi, "a wide-to-ANSI result does not read back");
    UXDFreeDestinationOptions(0, ansi);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    bool singleByte = size == 0 || (data[0] & 1) == 0;
    codepage_standin::use(singleByte ? codepage_standin::CodePage::Windows1252
                                     : codepage_standin::CodePage::ToyDoubleByte);
    constexpr std::size_t kFlatSizeField = offsetof(MAPIDestinationOptions, flatSize);
    uint16_t flatSize = 0;
    if (size >= kFlatSizeField + 2) std::memcpy(&flatSize, data + kFlatSizeField, 2);
    if (flatSize == 0) flatSize = uint16_t(std::min<std::size_t>(std::max<std::size_t>(size, 1), kMaxFlatSize));
    // The header fields up to flatSize are read before flatSize is known to be big enough.
    std::size_t length = std::max<std::size_t>(flatSize, UXD_OPTIONS_SIZE);
    std::unique_ptr<unsigned char[]> block(new unsigned char[length]());
    std::memcpy(block.get(), data, std::min(size, length));
    writeField<uint16_t>(block.get(), offsetof(MAPIDestinationOptions, structSize), UXD_OPTIONS_SIZE);
    writeField<uint16_t>(block.get(), kFlatSizeField, flatSize);

    long before = allocation_fault::outstanding();
    FlatBlockView ansi, wide;
    UXDResult ansiRead = readFlatBlock(block.get(), TextWidth::Ansi, &ansi);
    UXDResult wideRead = readFlatBlock(block.get(), TextWidth::Wide, &wide);
    if (ansiRead == UXD_SUCCESS) {
        touch(ansi);
        reencode(ansi);
    }
    if (wideRead == UXD_SUCCESS) touch(wide);
    checkAnsiToWide(block.get(), ansiRead, ansi, singleByte);
    checkWideToAnsi(block.get(), wideRead);
    if (allocation_fault::outstanding() != before) fail("blocks left behind");
    return 0;
}
