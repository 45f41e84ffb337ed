// The options code on a maximal block (~64 KB), natively: encode, read, the decode-equivalent
// copy and the four conversions, each against memcpy of the same bytes, side by side.
#include <cstring>
#include <string>
#include <vector>

#include "allocation.h"
#include "bench_table.h"
#include "byte_fields.h"
#include "encoded_options.h"
#include "flat_block.h"
#include "options_conversion.h"
#include "recipient_row.h"

using namespace uxd;

namespace {

// A record whose block is as large as a block may be: `textLength` bytes in each of the
// seven texts and `count` recipients with an address and a 16-byte identifier.
struct MaximalRecord {
    std::string texts[kOptionTextCount];
    std::vector<std::string> names, addresses;
    std::vector<UXDRecipDesc> table;
    const char *textPointers[kOptionTextCount] = {};
    MAPIDestinationOptions record{};
    unsigned char entryId[16] = {0xE0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

    MaximalRecord(std::size_t textLength, std::size_t count) {
        for (int i = 0; i < kOptionTextCount; ++i) texts[i] = std::string(textLength, char('a' + i));
        for (std::size_t i = 0; i < count; ++i) {
            names.push_back("Recipient " + std::to_string(10000 + i));
            addresses.push_back("SMTP:recipient" + std::to_string(10000 + i) + "@example.com");
        }
        for (std::size_t i = 0; i < count; ++i)
            table.push_back({0, 1, &names[i][0], &addresses[i][0], sizeof entryId, entryId});
        for (int i = 0; i < kOptionTextCount; ++i) textPointers[i] = texts[i].c_str();
        writeField<uint16_t>(&record, kStructSizeField, UXD_OPTIONS_SIZE);
        for (int i = 0; i < kOptionTextCount; ++i) writeField(&record, kOptionTextField[i], textPointers[i]);
        writeField<uint16_t>(&record, kCountField, uint16_t(count));
        writeField<const UXDRecipDesc *>(&record, kTableField, table.data());
    }
    std::vector<unsigned char> encoded() const {
        unsigned char *block = nullptr;
        uint16_t size = 0;
        encodeOptions(textPointers, table.data(), uint32_t(table.size()), &block, &size);
        std::vector<unsigned char> bytes(block, block + size);
        release(block);
        return bytes;
    }
};

// What decode makes of a job's options, from a block's view: a pointer-form record with one
// allocation per string and identifier.
void decodeEquivalent(const std::vector<unsigned char> &block) {
    FlatBlockView view;
    readFlatBlock(block.data(), TextWidth::Ansi, &view);
    auto *record = static_cast<unsigned char *>(allocateZeroed(1, UXD_OPTIONS_SIZE));
    writeField<uint16_t>(record, kStructSizeField, UXD_OPTIONS_SIZE);
    for (int i = 0; i < kOptionTextCount; ++i)
        writeField(record, kOptionTextField[i], duplicateText(reinterpret_cast<const char *>(view.texts[i].bytes)));
    auto *table = static_cast<UXDRecipDesc *>(allocateZeroed(view.nRecipients, sizeof(UXDRecipDesc)));
    for (uint16_t i = 0; i < view.nRecipients; ++i) {
        FlatEntry e = view.entry(i);
        UXDRecipDesc row = {e.ulReserved, e.ulRecipClass, (char *)e.name.bytes, (char *)e.address.bytes, e.ulEIDSize,
                            (void *)e.entryId};
        copyRecipientRow(row, table[i]);
    }
    writeField(record, kTableField, table);
    writeField<uint16_t>(record, kCountField, view.nRecipients);
    releaseOptionsRecord(record);
}

volatile unsigned char sink;

}  // namespace

int main(int argc, char **argv) {
    bench::Effort effort = bench::effortFrom(argc, argv);
    MaximalRecord ansi(3000, 426), half(1500, 290);  // 65,459 bytes; 65,254 in UTF-16
    std::vector<unsigned char> ansiBlock = ansi.encoded();
    std::vector<unsigned char> halfBlock = half.encoded();

    MAPIDestinationOptionsW *wideBlock = nullptr, *widePointers = nullptr;
    uint16_t wideSize = 0;
    convertOptionsA2W(reinterpret_cast<const MAPIDestinationOptions *>(halfBlock.data()), &wideBlock, &wideSize);
    convertOptionsA2W(&half.record, &widePointers, nullptr);

    std::vector<unsigned char> copy(65536);
    auto memcpyOf = [&](std::size_t bytes) {
        return [&copy, bytes, &ansiBlock] {
            std::memcpy(copy.data(), ansiBlock.data(), bytes);
            sink = copy[bytes / 2];
        };
    };
    bench::Table table("Options of a maximal block, natively (" + std::to_string(ansiBlock.size()) + " bytes ANSI, " +
                       std::to_string(wideSize) + " bytes UTF-16), against memcpy of as many bytes");
    auto row = [&](const char *what, std::size_t bytes, auto &&f) {
        bench::Pair p = bench::sideBySide(effort, 200, f, memcpyOf(std::min<std::size_t>(bytes, ansiBlock.size())));
        table.row(what, bench::format("%.1f", p.measured.min) + " / " + bench::format("%.1f", p.measured.median) + " us",
                  bench::format("%.0f", p.minRatio()) + "x / " + bench::format("%.0f", p.medianRatio()) + "x",
                  "<= 50 us", p.measured.min <= 50);
    };
    row("encode", ansiBlock.size(), [&] {
        std::vector<unsigned char> block = ansi.encoded();
        sink = block[0];
    });
    row("read (every offset checked)", ansiBlock.size(), [&] {
        FlatBlockView view;
        sink = uint8_t(readFlatBlock(ansiBlock.data(), TextWidth::Ansi, &view));
    });
    row("decode-equivalent copy", ansiBlock.size(), [&] { decodeEquivalent(ansiBlock); });
    row("A2W flat", ansiBlock.size(), [&] {
        MAPIDestinationOptionsW *r = nullptr;
        convertOptionsA2W(reinterpret_cast<const MAPIDestinationOptions *>(ansiBlock.data()), &r, nullptr);
        releaseOptionsRecord(r);
    });
    row("W2A flat", wideSize, [&] {
        MAPIDestinationOptions *r = nullptr;
        convertOptionsW2A(wideBlock, &r, nullptr);
        releaseOptionsRecord(r);
    });
    row("A2W pointer form", ansiBlock.size(), [&] {
        MAPIDestinationOptionsW *r = nullptr;
        convertOptionsA2W(&ansi.record, &r, nullptr);
        releaseOptionsRecord(r);
    });
    row("W2A pointer form", wideSize, [&] {
        MAPIDestinationOptions *r = nullptr;
        convertOptionsW2A(widePointers, &r, nullptr);
        releaseOptionsRecord(r);
    });
    table.print();
    releaseOptionsRecord(wideBlock);
    releaseOptionsRecord(widePointers);
    return 0;
}
