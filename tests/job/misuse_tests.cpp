// What a host can get wrong, at every export that takes host memory: each call gives its
// documented code, leaves the out-values as documented, sends nothing and leaks nothing.
#include "mail_fixture.h"

using namespace uxd;

using Misuse = MailTest;

TEST_F(Misuse, EachExportRefusesWhatAHostGetsWrong) {
    const UXDExportFile pdf = exportFile(1, "q3.pdf"), csv = exportFile(1, "q3.csv");
    MapiRecipDesc ann = recipient(MAPI_TO, "Ann Archer", "SMTP:ann@example.com");
    MAPIDestinationOptions good = {};
    good.structSize = 70, setTable(good, &ann, 1);
    ASSERT_EQ(setUpJob(&good, {&pdf, &csv}), UXD_SUCCESS);
    void *flat = nullptr;
    uint16_t flatSize = 0;
    ASSERT_EQ(UXDEncodeDestinationOptions(ready.get(), &flat, &flatSize), UXD_SUCCESS);
    std::vector<unsigned char> cut(static_cast<unsigned char *>(flat), static_cast<unsigned char *>(flat) + flatSize);
    reinterpret_cast<MAPIDestinationOptions *>(cut.data())->flatSize = flatSize - 1;  // its last terminator outside
    MAPIDestinationOptions noTable = good, noId = good, older = good;
    noTable.recipients = nullptr;
    MapiRecipDesc annWithoutId = ann;
    annWithoutId.ulEIDSize = 16, setTable(noId, &annWithoutId, 1);
    older.structSize = 68, older.profileName = text("Work"), older.password = text("secret");  // no logon data
    const auto *cutBlock = reinterpret_cast<MAPIDestinationOptions *>(cut.data());
    const auto *noTableW = reinterpret_cast<const MAPIDestinationOptionsW *>(&noTable);
    const auto *cutBlockW = reinterpret_cast<const MAPIDestinationOptionsW *>(cut.data());

    void *const kUntouched = reinterpret_cast<void *>(0x5A5A);
    void *out = kUntouched;  // every out-value starts as this
    auto outAs = [&]() { return reinterpret_cast<MAPIDestinationOptions **>(&out); };
    auto outAsW = [&]() { return reinterpret_cast<MAPIDestinationOptionsW **>(&out); };
    UXDJobInfo *info = nullptr;
    uint16_t size = 0;
    auto init = [&](const MAPIDestinationOptions *options, void **job, UXDJobInfo **i, bool record = true) {
        return UXDInitExportDestination(nullptr, 0, options, record ? host.with({&pdf}) : nullptr, job, i);
    };
    UXDExportRequest oneFile = {};
    const char *paths[] = {"C:\\nowhere\\q3.pdf"};
    oneFile.fileCount = 1, oneFile.filePaths = paths;
    const UXDResult kRefused = UXD_E_INVALID_ARGUMENT;
    const struct {
        const char *what;
        UXDResult code;
        void *outAfter;  // what `out` holds afterwards
        std::function<UXDResult()> call;
    } rows[] = {
        {"init: no export record", kRefused, nullptr, [&] { return init(&good, &out, &info, false); }},
        {"init: no job out-pointer", kRefused, kUntouched, [&] { return init(&good, nullptr, &info); }},
        {"init: no info out-pointer", kRefused, nullptr, [&] { return init(&good, &out, nullptr); }},
        {"init: a count with a null table", kRefused, nullptr, [&] { return init(&noTable, &out, &info); }},
        {"init: an identifier size without an identifier", kRefused, nullptr, [&] { return init(&noId, &out, &info); }},
        {"init: a flat block cut short", kRefused, nullptr, [&] { return init(cutBlock, &out, &info); }},
        {"export: no job", kRefused, kUntouched, [&] { return UXDExportToDestination(nullptr, &oneFile); }},
        {"encode: no job", kRefused, kUntouched, [&] { return UXDEncodeDestinationOptions(nullptr, &out, &size); }},
        {"encode: no block out-pointer", kRefused, kUntouched, [&] { return UXDEncodeDestinationOptions(ready.get(), nullptr, &size); }},
        {"encode: no size out-pointer", kRefused, kUntouched, [&] { return UXDEncodeDestinationOptions(ready.get(), &out, nullptr); }},
        {"decode: no job", kRefused, kUntouched, [&] { return UXDDecodeDestinationOptions(nullptr, outAs()); }},
        {"decode: no record out-pointer", kRefused, kUntouched, [&] { return UXDDecodeDestinationOptions(ready.get(), nullptr); }},
        {"A2W: no source, no result", UXD_SUCCESS, nullptr, [&] { return UXDDestinationOptionsA2W(nullptr, outAsW(), nullptr); }},
        {"A2W: no result out-pointer", kRefused, kUntouched, [&] { return UXDDestinationOptionsA2W(&good, nullptr, nullptr); }},
        {"A2W: a count with a null table", kRefused, nullptr, [&] { return UXDDestinationOptionsA2W(&noTable, outAsW(), nullptr); }},
        {"A2W: a flat block cut short", kRefused, nullptr, [&] { return UXDDestinationOptionsA2W(cutBlock, outAsW(), &size); }},
        {"W2A: no source, no result", UXD_SUCCESS, nullptr, [&] { return UXDDestinationOptionsW2A(nullptr, outAs(), nullptr); }},
        {"W2A: a count with a null table", kRefused, nullptr, [&] { return UXDDestinationOptionsW2A(noTableW, outAs(), nullptr); }},
        {"W2A: a flat block cut short", kRefused, nullptr, [&] { return UXDDestinationOptionsW2A(cutBlockW, outAs(), &size); }},
        {"free: nothing", UXD_SUCCESS, kUntouched, [&] { return UXDFreeDestinationOptions(0, nullptr); }},
        {"term: no job", UXD_SUCCESS, kUntouched, [&] { return UXDTermExportDestination(nullptr, 0); }},
    };
    for (const auto &row : rows) {
        const long blocks = allocation_fault::outstanding();
        out = kUntouched;
        EXPECT_EQ(row.call(), row.code) << row.what;
        EXPECT_EQ(out, row.outAfter) << row.what << ": the out-value";
        EXPECT_EQ(allocation_fault::outstanding(), blocks) << row.what << ": blocks left";
    }
    EXPECT_TRUE(mail->sent().empty()) << "nothing was sent";

    // An older layout is taken without logon data; a request that names fewer files than the
    // job has attaches what it names and leaves the rest to the mail system.
    ASSERT_EQ(setUpJob(&older, {&pdf}), UXD_SUCCESS);
    EXPECT_TRUE(!*ready->profileName && !*ready->password);
    EXPECT_NE(mail->calls("MAPILogon").back().find("profile=\"\" password=\"\""), std::string::npos);
    // The host's array holds a second path, but its count says one: the second is not read.
    ASSERT_EQ(setUpJob(&good, {&pdf, &csv}), UXD_SUCCESS);
    const std::string real = mail->folder() + "q3.tmp";
    fclose(fopen(real.c_str(), "wb"));
    const char *twoPaths[] = {real.c_str(), real.c_str()};
    oneFile.filePaths = twoPaths;
    UXDResult sent = UXDExportToDestination(ready.get(), &oneFile);
    EXPECT_EQ(sent, UXD_E_FAILURE) << "the mail system finds no second file: " << UXDGetErrorText(ready.get());
    EXPECT_TRUE(mail->sent().empty());
}
