// The job's error recording and MAPI result reporting, including the real message box,
// the bounded picker, and releasing option records of every kind.
#include <memory>

#include "iat_hook.h"
#include "job_fixture.h"
#include "message_box.h"

using namespace uxd;

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
    std::unique_ptr<MAPIDestination> job;
    void TearDown() override { job.reset(), JobTest::TearDown(); }
};
}  // namespace

TEST(MapiResultToCode, MapsEveryDocumentedResult) {
    const struct { uint32_t mapiResult; UXDResult code; } table[] = {{0, 0},   {1, 6},   {2, -1},  {3, -1},  {4, 3},  {5, 2}, {14, -1},
                 {21, -1}, {25, -1}, {26, 1},  {27, -1}, {0xFFFFFFFFu, -1}};
    for (const auto &row : table)
        EXPECT_EQ(mapiResultToCode(row.mapiResult), row.code) << "MAPI result " << row.mapiResult;
}

TEST_F(JobOperations, SetErrorKeepsTheTextOnlyForMinusOne) {
    const struct { UXDResult code; const char *text, *kept; } steps[] = {{UXD_E_FAILURE, "broken", "broken"}, {UXD_SUCCESS, "ignored", ""},
                 {UXD_E_CANCELLED, "ignored", ""}, {UXD_E_FAILURE, nullptr, ""}};
    for (const auto &s : steps) {
        EXPECT_EQ(job->setError(s.code, s.text), s.code);
        EXPECT_EQ(job->errorCode, s.code);
        EXPECT_STREQ(UXDGetErrorText(job.get()), s.kept) << "code " << s.code;
    }
}

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

TEST_F(JobOperations, MissingFunctionIsReportedInTheJobsLanguage) {
    const struct { uint32_t language; const char *function, *expected; } cases[] = {{0x0409, "MAPIDetails", "Function <MAPIDetails> is missing from <MAPI.DLL>"},
                 {0x0407, "MAPILogon", "Die Funktion <MAPILogon> fehlt in <MAPI.DLL>"}};
    for (const auto &c : cases) {
        job->language = c.language;
        EXPECT_EQ(job->reportMissingFunction(c.function), UXD_E_FAILURE);
        EXPECT_STREQ(job->errorText, c.expected);
    }
    job->reportMissingFunction(std::string(500, 'n').c_str());
    EXPECT_EQ(strlen(job->errorText), 299u) << "cut to 299 characters";
    RMSESSION session = module.resourceSession;  // no resource manager: built-in English stands in
    module.resourceSession = nullptr;
    job->reportMissingFunction("MAPIAddress");
    module.resourceSession = session;
    EXPECT_STREQ(job->errorText, "Function <MAPIAddress> is missing from <MAPI.DLL>");
    EXPECT_TRUE(boxCalls.empty()) << "the host reads it; the user sees no box";
}

TEST_F(JobOperations, PickArrayElementStaysInBounds) {
    const char *items[] = {"a", "b", "c"};
    EXPECT_EQ(job->pickArrayElement(3, 2, items), items[2]) << "the element itself, not a copy";
    EXPECT_EQ(job->pickArrayElement(3, 3, items), nullptr) << "index equal to count";
    EXPECT_EQ(job->pickArrayElement(0, 0, items), nullptr);
    EXPECT_EQ(job->pickArrayElement(3, 0, nullptr), nullptr);
}

// The fixture's teardown checks that the seam's block count returns to where it was.
using FreeDestinationOptions = JobTest;

static MAPIDestinationOptions *newOptions(uint16_t structSize, const char *to) {
    auto *options = static_cast<MAPIDestinationOptions *>(allocateZeroed(1, sizeof(MAPIDestinationOptions)));
    options->structSize = structSize;
    options->toNames = duplicateText(to);
    options->nRecipients = 2;
    options->recipients = static_cast<UXDRecipDesc *>(allocateZeroed(2, sizeof(UXDRecipDesc)));
    return options;
}

TEST_F(FreeDestinationOptions, NullPointerFormAndFlatBlockReleaseTheirBlocks) {
    EXPECT_EQ(UXDFreeDestinationOptions(0, nullptr), 0) << "null is fine";
    MAPIDestinationOptions *options = newOptions(70, "Ann; Bob");
    options->password = duplicateText("secret");  // cc, bcc, subject and profile stay null
    options->recipients[0].lpszName = duplicateText("Ann");  // no address, no entry identifier
    options->recipients[1].lpszAddress = duplicateText("SMTP:ann@example.com");
    options->recipients[1].ulEIDSize = 4;
    options->recipients[1].lpEntryID = allocate(4);
    EXPECT_EQ(UXDFreeDestinationOptions(7, options), 0) << "the first argument is not read";
    EXPECT_EQ(allocation_fault::outstanding(), blocksBefore) << "pointer form leaked";

    // Offsets stand where pointers would: freeing any of them would corrupt the heap.
    auto *block = static_cast<unsigned char *>(allocateZeroed(81, 1));
    const UXDEncodedOptionsHeader head = {70, 74, 75, 0, 0, 0, 1, 76, 0, 0, 81, 0, 0};  // to, cc, one entry
    std::memcpy(block, &head, sizeof head);
    EXPECT_EQ(UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(block)), 0);
}

TEST_F(FreeDestinationOptions, OlderLayoutFreesOnlyTheRecord) {
    MAPIDestinationOptions *options = newOptions(52, "Ann");
    char *to = options->toNames;
    UXDRecipDesc *entries = options->recipients;
    EXPECT_EQ(UXDFreeDestinationOptions(0, options), 0);
    EXPECT_EQ(allocation_fault::outstanding(), blocksBefore + 2) << "the record block alone";
    EXPECT_STREQ(to, "Ann") << "its strings are not the module's to release";
    release(entries);
    release(to);
}
