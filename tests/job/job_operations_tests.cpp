// The job's error recording and MAPI result reporting, including the real message box,
// the bounded picker, and releasing option records of every kind.
#include <memory>

#include "iat_hook.h"
#include "job_fixture.h"
#include "message_box.h"

using namespace uxd;

namespace {
struct BoxCall {
    HWND owner;
    std::string text, caption;
    UINT type;
};
std::vector<BoxCall> boxCalls;
decltype(&MessageBoxA) realMessageBox;

int WINAPI spyMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    boxCalls.push_back({owner, text ? text : "", caption ? caption : "", type});
    return realMessageBox(owner, text, caption, type);
}

class JobOperations : public JobTest {
protected:
    void SetUp() override {
        JobTest::SetUp();
        boxCalls.clear();
        hook = std::make_unique<IatHook>(GetModuleHandleA(nullptr), "user32.dll", "MessageBoxA",
                                         (void *)&spyMessageBox);
        ASSERT_TRUE(hook->installed());
        realMessageBox = reinterpret_cast<decltype(realMessageBox)>(hook->original());
        host.record.language = 0x0409;
        job.reset(new MAPIDestination(nullptr, host.with({})));
    }
    void TearDown() override {
        job.reset();
        hook.reset();
        JobTest::TearDown();
    }
    HostExport host;
    std::unique_ptr<MAPIDestination> job;
    std::unique_ptr<IatHook> hook;
};
}  // namespace

TEST(MapiResultToCode, MapsEveryDocumentedResult) {
    const struct {
        uint32_t mapiResult;
        UXDResult code;
    } table[] = {{0, 0}, {1, 6}, {2, -1}, {3, -1}, {4, 3}, {5, 2}, {14, -1}, {21, -1},
                 {25, -1}, {26, 1}, {27, -1}, {0xFFFFFFFFu, -1}};
    for (const auto &row : table)
        EXPECT_EQ(mapiResultToCode(row.mapiResult), row.code) << "MAPI result " << row.mapiResult;
}

TEST_F(JobOperations, SetErrorKeepsTheTextOnlyForMinusOne) {
    EXPECT_EQ(job->setError(UXD_E_FAILURE, "broken"), UXD_E_FAILURE);
    EXPECT_STREQ(UXDGetErrorText(job.get()), "broken");
    EXPECT_EQ(job->setError(UXD_SUCCESS, "ignored"), UXD_SUCCESS);
    EXPECT_STREQ(job->errorText, "") << "code 0 stores the empty text, not the text";
    EXPECT_EQ(job->setError(UXD_E_CANCELLED, "ignored"), UXD_E_CANCELLED);
    EXPECT_EQ(job->errorCode, UXD_E_CANCELLED);
    EXPECT_STREQ(job->errorText, "");
    EXPECT_EQ(job->setError(UXD_E_FAILURE, nullptr), UXD_E_FAILURE);
    EXPECT_STREQ(job->errorText, "");
}

TEST_F(JobOperations, MapiFailureIsRecordedWithoutABox) {
    EXPECT_EQ(job->reportMapiResult(0, 2, "MAPISendMail"), UXD_E_FAILURE);
    EXPECT_STREQ(job->errorText, "Error 2 returned by function <MAPISendMail>.");
    EXPECT_EQ(job->errorCode, UXD_E_FAILURE);
    EXPECT_TRUE(boxCalls.empty()) << "no box unless asked for";

    EXPECT_EQ(job->reportMapiResult(0, 0, "MAPISendMail"), UXD_SUCCESS);
    EXPECT_STREQ(job->errorText, "") << "success clears the previous text";

    EXPECT_EQ(job->reportMapiResult(0, 26, "MAPILogon"), UXD_E_NOT_SUPPORTED);
    EXPECT_STREQ(job->errorText, "") << "only -1 carries a text";

    std::string longName(400, 'F');
    EXPECT_EQ(job->reportMapiResult(0, 4000000000u, longName.c_str()), UXD_E_FAILURE);
    EXPECT_EQ(strlen(job->errorText), 255u) << "cut to the 256-byte message buffer";
    EXPECT_EQ(std::string(job->errorText, 34), "Error 4000000000 returned by funct");
}

TEST_F(JobOperations, InteractiveFailureShowsTheRealBox) {
    UXDResult code;
    MessageBoxWatcher watcher;
    code = job->reportMapiResult(1, 1, "MAPIResolveName");
    ASSERT_EQ(boxCalls.size(), 1u);
    EXPECT_EQ(boxCalls[0].owner, nullptr) << "the box has no owner window";
    EXPECT_EQ(boxCalls[0].type, static_cast<UINT>(MB_ICONASTERISK | MB_OK));
    EXPECT_EQ(boxCalls[0].caption, "MAPI Destination");
    EXPECT_EQ(boxCalls[0].text, "Error 1 returned by function <MAPIResolveName>.");
    EXPECT_EQ(code, UXD_E_CANCELLED);
    EXPECT_STREQ(job->errorText, "");
    // What the user saw on the screen.
    ASSERT_TRUE(watcher.seen()) << "no message box appeared";
    EXPECT_EQ(watcher.caption(), "MAPI Destination");
    EXPECT_TRUE(watcher.showsText("Error 1 returned by function <MAPIResolveName>."));
}

TEST_F(JobOperations, MissingFunctionIsReportedInTheJobsLanguage) {
    EXPECT_EQ(job->reportMissingFunction("MAPIDetails"), UXD_E_FAILURE);
    EXPECT_STREQ(job->errorText, "Function <MAPIDetails> is missing from <MAPI.DLL>");
    EXPECT_TRUE(boxCalls.empty()) << "the host reads it; the user sees no box";

    job->language = 0x0407;
    job->reportMissingFunction("MAPILogon");
    EXPECT_STREQ(job->errorText, "Die Funktion <MAPILogon> fehlt in <MAPI.DLL>");

    job->language = 0x0409;
    std::string longName(500, 'n');
    job->reportMissingFunction(longName.c_str());
    EXPECT_EQ(strlen(job->errorText), 299u) << "cut to 299 characters";

    RMSESSION session = module.resourceSession;  // no resource manager: built-in English stands in
    module.resourceSession = nullptr;
    job->reportMissingFunction("MAPIAddress");
    module.resourceSession = session;
    EXPECT_STREQ(job->errorText, "Function <MAPIAddress> is missing from <MAPI.DLL>");
}

TEST_F(JobOperations, PickArrayElementStaysInBounds) {
    const char *items[] = {"a", "b", "c"};
    EXPECT_EQ(job->pickArrayElement(3, 2, items), items[2]) << "the element itself, not a copy";
    EXPECT_EQ(job->pickArrayElement(3, 3, items), nullptr) << "index equal to count";
    EXPECT_EQ(job->pickArrayElement(0, 0, items), nullptr);
    EXPECT_EQ(job->pickArrayElement(3, 0, nullptr), nullptr);
}
