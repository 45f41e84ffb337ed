// Every job text at the edges of its buffer, through each step that fills or writes it: setup
// from a record and from a flat block, the send's appended blank, encode, decode, and both
// conversions in both forms. Every module block carries a canary (job_fixture.h), so a byte
// written past a buffer fails the row that wrote it.
#include "mail_fixture.h"
#include "record_content.h"

using namespace uxd;
using namespace uxd_test;

namespace {
class Capacity : public MailTest {
protected:
    // The ANSI content of a record or block the module handed over.
    static Content ansiContent(const void *options) {
        FlatBlockView view;
        if (readField<uint16_t>(options, kFlatSizeField) != 0)
            return readFlatBlock(options, TextWidth::Ansi, &view) == UXD_SUCCESS ? contentOf(view) : Content();
        return contentOf(options, TextWidth::Ansi);
    }
    // Through UTF-16 and back, as the conversions of that form give it; released at once.
    static Content throughUtf16(const MAPIDestinationOptions *options, bool flat) {
        MAPIDestinationOptionsW *wide = nullptr;
        MAPIDestinationOptions *back = nullptr;
        uint16_t size = 0;
        Content got;
        if (UXDDestinationOptionsA2W(options, &wide, flat ? &size : nullptr) == UXD_SUCCESS &&
            UXDDestinationOptionsW2A(wide, &back, flat ? &size : nullptr) == UXD_SUCCESS)
            got = ansiContent(back);
        UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(wide));
        UXDFreeDestinationOptions(0, back);
        return got;
    }
};
}  // namespace

TEST_F(Capacity, EachTextAtItsLongestIsCarriedThroughEveryStepOneMoreIsRefused) {
    using Options = MAPIDestinationOptions;
    const struct { char *Options::*field; size_t size; int text; } texts[] = {
        {&Options::toNames, kRecipientTextSize, kToNames},   {&Options::ccNames, kRecipientTextSize, kCcNames},
        {&Options::bccNames, kRecipientTextSize, kBccNames}, {&Options::subject, kSubjectTextSize, kSubject},
        {&Options::message, kMessageTextSize, kMessage},     {&Options::profileName, kRecipientTextSize, kProfileName},
        {&Options::password, kRecipientTextSize, kPassword}};
    MapiRecipDesc ann = recipient(MAPI_TO, "Ann Archer", "SMTP:ann@example.com");
    for (const auto &t : texts) {
        const size_t longest = t.size - 1;
        for (size_t length : {longest - 1, longest, longest + 1}) {
            const std::string row = std::string("text ") + std::to_string(t.text) + ", " + std::to_string(length) + " bytes";
            const long overruns = allocation_fault::overrunBlocks();
            std::string value(length, 'x');
            Options options = {};
            options.structSize = 70, setTable(options, &ann, 1);
            options.*t.field = &value[0];
            ASSERT_EQ(setUpJob(&options), length > longest ? UXD_E_INVALID_ARGUMENT : UXD_SUCCESS) << row;
            if (length > longest) continue;
            const bool recipientText = t.text <= kBccNames;  // the table's names replace it
            if (!recipientText) {
                EXPECT_TRUE(value == (ready.get()->*kJobTexts[t.text].buffer).get()) << row;
            }

            void *block = nullptr;
            uint16_t size = 0;
            MAPIDestinationOptions *decoded = nullptr;
            ASSERT_EQ(UXDEncodeDestinationOptions(ready.get(), &block, &size), UXD_SUCCESS) << row;
            ASSERT_EQ(UXDDecodeDestinationOptions(ready.get(), &decoded), UXD_SUCCESS) << row;
            const Content encoded = ansiContent(block);
            int lost = 0;
            EXPECT_EQ(differenceOf(encoded, ansiContent(decoded), TextMatch::Exact, false, lost), "") << row << ", decoded";
            EXPECT_EQ(differenceOf(encoded, throughUtf16(decoded, false), TextMatch::Exact, false, lost), "") << row;
            EXPECT_EQ(differenceOf(encoded, throughUtf16(static_cast<Options *>(block), true), TextMatch::Exact, false,
                                   lost), "") << row << ", flat";
            if (!recipientText) {
                EXPECT_TRUE(encoded.texts[t.text] == value) << row;
            }
            UXDFreeDestinationOptions(0, decoded);

            // The block taken by the next job, which then sends: the message gets its blank
            // only while there is room for it.
            std::vector<char> copy(static_cast<char *>(block), static_cast<char *>(block) + size);  // the job owns it
            ASSERT_EQ(setUpJob(reinterpret_cast<Options *>(copy.data())), UXD_SUCCESS) << row << ", from the block";
            UXDExportRequest request = {};
            ASSERT_EQ(UXDExportToDestination(ready.get(), &request), UXD_SUCCESS) << row;
            if (t.text == kMessage) {
                EXPECT_TRUE((length < longest ? value + " " : value) == ready->messageText.get()) << row << ": one blank, with room";
            }
            UXDTermExportDestination(ready.release(), 0);
            EXPECT_EQ(allocation_fault::overrunBlocks(), overruns) << row << ": a block was written past its end";
        }
    }
}

// The canary itself: a write one byte past a block is counted when the block goes back.
TEST_F(Capacity, AByteWrittenPastABlockIsCounted) {
    for (size_t bytes : {1, 13, 4096}) {
        const long before = allocation_fault::overrunBlocks();
        auto *block = static_cast<char *>(allocate(bytes));
        ASSERT_NE(block, nullptr);
        block[bytes] = 'x';
        release(block);
        EXPECT_EQ(allocation_fault::overrunBlocks(), before + 1) << bytes << " bytes";
    }
    overrunsBefore = allocation_fault::overrunBlocks();  // made on purpose
}

// A recipient text written from the table holds whole names only; a flat block holds at most
// 65535 bytes, in either width.
TEST_F(Capacity, JoinedNamesAndTheFlatBlockStopAtTheirLimits) {
    auto withTable = [](std::vector<MapiRecipDesc> &rows, const char *message) {
        MAPIDestinationOptions options = {};
        options.structSize = 70, options.message = text(message), setTable(options, rows.data(), rows.size());
        return options;
    };
    char address[] = "SMTP:n@example.com";
    for (size_t length : {kRecipientTextSize - 2, kRecipientTextSize - 1, kRecipientTextSize}) {
        std::string name(length, 'n');
        std::vector<MapiRecipDesc> rows = {{0, MAPI_TO, &name[0], address, 0, nullptr}};
        MAPIDestinationOptions options = withTable(rows, "");
        ASSERT_EQ(setUpJob(&options), UXD_SUCCESS) << length;
        EXPECT_EQ(strlen(ready->toText), length < kRecipientTextSize ? length : 0u) << length;
        UXDExportRequest request = {};
        EXPECT_EQ(UXDExportToDestination(ready.get(), &request), UXD_SUCCESS) << length << ": the recipient still goes";
    }

    std::string name(2000, 'n');
    std::vector<MapiRecipDesc> rows(25, MapiRecipDesc{0, MAPI_CC, &name[0], address, 0, nullptr});
    MAPIDestinationOptions options = withTable(rows, "");
    void *block = nullptr;
    uint16_t size = 0;
    ASSERT_EQ(setUpJob(&options), UXD_SUCCESS);
    ASSERT_EQ(UXDEncodeDestinationOptions(ready.get(), &block, &size), UXD_SUCCESS);
    const size_t room = 65535 - size;  // what the message may add
    ASSERT_LE(room, kMessageTextSize - 1);
    for (size_t length : {room, room + 1}) {
        std::string message(length, 'm');
        options = withTable(rows, message.c_str());
        ASSERT_EQ(setUpJob(&options), UXD_SUCCESS) << length;
        block = &size;
        EXPECT_EQ(UXDEncodeDestinationOptions(ready.get(), &block, &size), length > room ? UXD_E_INVALID_ARGUMENT : UXD_SUCCESS)
            << length;
        if (length > room) continue;
        EXPECT_EQ(size, 65535) << "the largest block";
        MAPIDestinationOptionsW *wide = reinterpret_cast<MAPIDestinationOptionsW *>(&size);
        EXPECT_EQ(UXDDestinationOptionsA2W(static_cast<MAPIDestinationOptions *>(block), &wide, &size),
                  UXD_E_INVALID_ARGUMENT) << "its UTF-16 form would be larger";
        EXPECT_EQ(wide, nullptr);
    }
}
