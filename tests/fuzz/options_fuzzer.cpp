// libFuzzer: any bytes as a stored flat options block, in a buffer exactly flatSize long so ASan
// sees reads past it. structSize is forced to 70 and flatSize to nonzero: a pointer-form record
// would be full of wild pointers. The first byte's low bit picks the toy double-byte page.
#include <algorithm>
#include <cstring>
#include <memory>

#include "allocation.h"
#include "byte_fields.h"
#include "codepage_standin.h"
#include "flat_block.h"
#include "fuzz_input.h"
#include "options_conversion.h"


using namespace uxd;
using uxd_fuzz::check;

namespace {

// Reads a block and then every byte the view designates, so that ASan checks those too.
bool readAndTouch(const void *block, TextWidth width, FlatBlockView &view) {
    if (readFlatBlock(block, width, &view) != UXD_SUCCESS) return false;
    volatile unsigned char sink = 0;
    auto read = [&](const unsigned char *p, std::size_t n) { while (n) sink = sink ^ p[--n]; };
    for (const FlatText &t : view.texts) read(t.bytes, t.byteLength);
    for (uint16_t i = 0; i < view.nRecipients; ++i) {
        FlatEntry e = view.entry(i);
        read(e.name.bytes, e.name.byteLength), read(e.address.bytes, e.address.byteLength), read(e.entryId, e.ulEIDSize);
    }
    return true;
}

// A conversion refuses exactly what the reader or the 16-bit sizes refuse; its result reads back.
template <class Source, class Result>
void convert(UXDResult (*f)(const Source *, Result **, uint16_t *), const unsigned char *block, bool ok,
             TextWidth resultWidth) {
    Result *result = nullptr;
    uint16_t size = 0;
    UXDResult r = f(reinterpret_cast<const Source *>(block), &result, &size);
    if (!ok) return check(r == UXD_E_INVALID_ARGUMENT && !result, "a conversion took a block it must refuse");
    check(r == UXD_SUCCESS && result, "a conversion failed on a valid block");
    check(size == readField<uint16_t>(result, kFlatSizeField), "the size out-value is not the flatSize");
    FlatBlockView view;
    check(readAndTouch(result, resultWidth, view), "a conversion result does not read back");
    uxd::releaseOptionsRecord(result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    codepage_standin::use(size && (data[0] & 1) ? codepage_standin::CodePage::ToyDoubleByte
                                                : codepage_standin::CodePage::Latin1);
    uint16_t flatSize = size >= kFlatSizeField + 2 ? readField<uint16_t>(data, kFlatSizeField) : 0;
    if (flatSize == 0) flatSize = uint16_t(std::clamp<std::size_t>(size, 1, kMaxFlatSize));
    // The header fields up to flatSize are read before flatSize is known to be big enough.
    const std::size_t length = std::max<std::size_t>(flatSize, UXD_OPTIONS_SIZE);
    std::unique_ptr<unsigned char[]> block(new unsigned char[length]());
    std::memcpy(block.get(), data, std::min(size, length));
    writeField<uint16_t>(block.get(), kStructSizeField, UXD_OPTIONS_SIZE);
    writeField<uint16_t>(block.get(), kFlatSizeField, flatSize);

    const long before = allocation_fault::outstanding();
    FlatBlockView ansi, wide;
    const bool ansiValid = readAndTouch(block.get(), TextWidth::Ansi, ansi);
    const bool wideValid = readAndTouch(block.get(), TextWidth::Wide, wide);
    // Both pages make at most one unit of a byte and two bytes of a unit: only widening can overflow.
    const bool widenedFits =
        kHeaderSize + 2u * ansi.stringBytes + kEntrySize * ansi.nRecipients + ansi.entryIdBytes <= kMaxFlatSize;
    convert(convertOptionsA2W, block.get(), ansiValid && widenedFits, TextWidth::Wide);
    convert(convertOptionsW2A, block.get(), wideValid, TextWidth::Ansi);
    check(allocation_fault::outstanding() == before, "blocks left behind");
    return 0;
}
