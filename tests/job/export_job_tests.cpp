// The export job as the host's record makes it and as hosts see it: the fields read by the
// record's size, its virtual table, its error recording and MAPI result reporting (with the
// real message box), and releasing option records.
#include "iat_hook.h"
#include "job_fixture.h"
#include "message_box.h"
#include "recipient.h"
#include "resource_ids.h"

using namespace uxd;
using JobConstruction = JobTest;
using Job = uxd::unique_job;

TEST_F(JobConstruction, RecordSizeDecidesWhichFieldsAreReadAndTheRestStartsEmpty) {
    const struct { uint16_t structSize; uint32_t allowLogonUI, language, expectedFlags, expectedLanguage; } cases[] = {
        {56, 1, 0x0407, 0, 0x400},        // neither field is there
        {60, 1, 0x0407, 1, 0x400}, {60, 0, 0x0407, 0, 0x400},  // logon dialog allowed or not, no language yet
        {64, 0xFFFF, 0x0C07, 1, 0x0C07}};                        // any nonzero value allows the dialog
    for (const auto &c : cases) {
        HostExport host(c.structSize);
        host.record.allowLogonUI = c.allowLogonUI, host.record.language = c.language;
        Job job(new MAPIDestination(nullptr, host.with({})));
        EXPECT_EQ(job->logonFlags, c.expectedFlags) << "structSize " << c.structSize;
        EXPECT_EQ(job->language, c.expectedLanguage) << "structSize " << c.structSize;
    }
    // The information block sized and zeroed, the window whole; no files, no attachments.
    HostExport host;
    Job job(new MAPIDestination(reinterpret_cast<HWND>(0x12345678ABull), host.with({})));
    auto *bytes = reinterpret_cast<const unsigned char *>(&job->infoBlock);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 112);
    for (size_t i = 2; i < sizeof job->infoBlock; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_EQ(job->parentWindow, reinterpret_cast<HWND>(0x12345678ABull)) << "all 64 bits kept";
    EXPECT_EQ(job->attachmentCount, 0);
    EXPECT_EQ(job->attachmentNames, nullptr);
}

namespace {
struct BoxCall { HWND owner; UINT type; };
std::vector<BoxCall> boxCalls;
decltype(&MessageBoxA) realMessageBox;

// Records what only the call shows (owner, icon), then lets the real box appear.
int WINAPI spyMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    boxCalls.push_back({owner, type});
    return realMessageBox(owner, text, caption, type);
}

class JobOperations : public JobTest {
protected:
    void SetUp() override {
        JobTest::SetUp();
        boxCalls.clear();
        ASSERT_TRUE(hook.installed());
        realMessageBox = reinterpret_cast<decltype(realMessageBox)>(hook.original());
        host.record.language = 0x0409;
        job.reset(new MAPIDestination(nullptr, host.with({})));
    }
    IatHook hook{GetModuleHandleA(nullptr), "user32.dll", "MessageBoxA", (void *)&spyMessageBox};
    HostExport host;
    uxd::unique_job job;
    void TearDown() override { job.reset(), JobTest::TearDown(); }
};
}  // namespace

TEST_F(JobOperations, MapiResultIsRecordedAndShownOnlyWhenAsked) {
    EXPECT_EQ(job->reportMapiResult(0, 2, "MAPISendMail"), UXD_E_FAILURE);
    EXPECT_STREQ(job->errorText, "Error 2 returned by function <MAPISendMail>.");
    EXPECT_EQ(job->reportMapiResult(0, 0, "MAPISendMail"), UXD_SUCCESS);
    EXPECT_STREQ(job->errorText, "") << "success clears the previous text";
    EXPECT_TRUE(boxCalls.empty()) << "no box unless asked for";

    MessageBoxWatcher watcher;
    EXPECT_EQ(job->reportMapiResult(1, 1, "MAPIResolveName"), UXD_E_CANCELLED);
    ASSERT_EQ(boxCalls.size(), 1u);
    EXPECT_EQ(boxCalls[0].owner, nullptr) << "the box has no owner window";
    EXPECT_EQ(boxCalls[0].type, static_cast<UINT>(MB_ICONASTERISK | MB_OK));
    ASSERT_TRUE(watcher.seen()) << "no message box appeared";
    EXPECT_EQ(watcher.caption(), "MAPI Destination");
    EXPECT_TRUE(watcher.showsText("Error 1 returned by function <MAPIResolveName>."));
}

// The text in the job's language: the language tests and uxdsend's German run.
TEST_F(JobOperations, MissingFunctionIsCutToTheBufferAndNeedsNoResourceManager) {
    job->reportMissingFunction(std::string(500, 'n').c_str());
    EXPECT_EQ(strlen(job->errorText), 299u) << "cut to 299 characters";
    RMSESSION session = module.resourceSession;  // no resource manager: built-in English stands in
    module.resourceSession = nullptr;
    job->reportMissingFunction("MAPIAddress");
    for (unsigned id = IDS_NO_MATCH; id <= IDS_MAPI_NOT_CONFIGURED; ++id) {  // each as the string table has it
        char builtIn[kMessageBufferSize], table[kMessageBufferSize] = {};
        job->loadText(id, builtIn);
        LoadStringA(GetModuleHandleA(nullptr), id, table, sizeof table);
        EXPECT_STREQ(builtIn, table) << "text " << id;
    }
    module.resourceSession = session;
    EXPECT_STREQ(job->errorText, "Function <MAPIAddress> is missing from <MAPI.DLL>");
    EXPECT_TRUE(boxCalls.empty()) << "the host reads it; the user sees no box";
}

// A host or a deriving module sees the job only through its virtual table: slot 0 the one
// deleting destructor taking flags, slots 1 to 5 the operations in their documented order,
// each called with the job as its first argument (the x64 convention for a member).
TEST_F(JobOperations, VirtualTableHasTheDocumentedSlots) {
    using DeletingDestructor = void *(*)(void *self, uint32_t flags);
    using SetError = UXDResult (*)(void *self, UXDResult code, const char *text);
    using ReportMapiResult = UXDResult (*)(void *self, uint32_t showBox, uint32_t mapiResult, const char *function);
    using MakeAttachmentName = uint32_t (*)(void *self, const UXDExportRecord *record, uint16_t index);
    using PickArrayElement = const char *(*)(void *self, uint16_t count, uint16_t index, const char *const *array);
    using ReportMissingFunction = UXDResult (*)(void *self, const char *function);
    const UXDExportFile named = exportFile(1, "C:\\out\\sales.pdf"), bare = {};
    HostExport files;
    const UXDExportRecord *record = files.with({&named, &bare});
    MAPIDestination *raw = new MAPIDestination(nullptr, record);
    ASSERT_TRUE(raw && raw->allocateTextBuffers() == UXD_SUCCESS);
    void *const *slot = *reinterpret_cast<void *const *const *>(raw);
    auto call = [&](int n, auto type) { return reinterpret_cast<decltype(type)>(slot[n]); };

    EXPECT_EQ(call(1, SetError{})(raw, UXD_E_FAILURE, "broken"), UXD_E_FAILURE);
    EXPECT_STREQ(raw->errorText, "broken") << "slot 1 is setError";
    EXPECT_EQ(call(2, ReportMapiResult{})(raw, 0, 4, "MAPISendMail"), UXD_E_DISK_FULL) << "slot 2 is reportMapiResult";
    EXPECT_STREQ(raw->errorText, "") << "a code other than -1 keeps no text";
    EXPECT_EQ(call(3, MakeAttachmentName{})(raw, record, 0), 1u) << "slot 3 is makeAttachmentName";
    EXPECT_STREQ(raw->attachmentNames[0], "sales.pdf") << "named again, the earlier name released";
    EXPECT_EQ(call(3, MakeAttachmentName{})(raw, record, 2), 0u) << "an index past the files names nothing";
    const char *items[] = {"a", "b"};
    EXPECT_EQ(call(4, PickArrayElement{})(raw, 2, 1, items), items[1]) << "slot 4 is pickArrayElement";
    EXPECT_EQ(call(4, PickArrayElement{})(raw, 2, 2, items), nullptr) << "an index past the count picks nothing";
    EXPECT_EQ(call(5, ReportMissingFunction{})(raw, "MAPIDetails"), UXD_E_FAILURE);
    EXPECT_STREQ(raw->errorText, "Function <MAPIDetails> is missing from <MAPI.DLL>") << "slot 5 is reportMissingFunction";

    // Flags 0 destroy the job and leave its memory to the caller; bit 0 releases it too.
    const long withJob = allocation_fault::outstanding();
    EXPECT_EQ(call(0, DeletingDestructor{})(raw, 0), raw);
    EXPECT_EQ(allocation_fault::outstanding(), withJob - 2 - 1 - 7 - 1) << "two names, their array, seven texts and the error text gone; the job not";
    release(raw);
    MAPIRecipient *list = nullptr;
    ASSERT_EQ(parseRecipients(job.get(), "Ann; Bob", &list, MAPI_TO), UXD_SUCCESS);
    const long withList = allocation_fault::outstanding();
    void *const *recipientSlot = *reinterpret_cast<void *const *const *>(list);
    EXPECT_EQ(reinterpret_cast<DeletingDestructor>(recipientSlot[0])(list, kReleaseMemory), list);
    EXPECT_EQ(allocation_fault::outstanding(), withList - 4) << "slot 0 of a recipient deletes its chain: two recipients and names";
}

// The fixture's teardown checks that the seam's block count returns to where it was.
TEST_F(JobConstruction, FreeingAnOlderLayoutFreesOnlyTheRecord) {
    auto *options = static_cast<MAPIDestinationOptions *>(allocateZeroed(1, sizeof(MAPIDestinationOptions)));
    char *to = options->toNames = duplicateText("Ann");
    UXDRecipDesc *entries = options->recipients = static_cast<UXDRecipDesc *>(allocateZeroed(2, sizeof(UXDRecipDesc)));
    options->structSize = 52, options->nRecipients = 2;
    EXPECT_EQ(UXDFreeDestinationOptions(0, options), 0);
    EXPECT_EQ(allocation_fault::outstanding(), blocksBefore + 2) << "the record block alone";
    EXPECT_STREQ(to, "Ann") << "its strings are not the module's to release";
    release(entries);
    release(to);
}
