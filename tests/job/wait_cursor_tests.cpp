// The wait cursor as a host's user sees it: every SetCursor call the module makes, counted
// through this program's imports (the module's code is linked in), per entry point: the wait
// cursor once for all of a call's work, the previous cursor back once, on every path.
#include "mail_fixture.h"

namespace {
std::vector<HCURSOR> cursorsSet;
decltype(&SetCursor) realSetCursor;
HCURSOR WINAPI recordSetCursor(HCURSOR cursor) {
    cursorsSet.push_back(cursor);
    return realSetCursor(cursor);
}

class WaitCursorShown : public MailTest {
protected:
    void SetUp() override {
        MailTest::SetUp();
        ASSERT_TRUE(hook.installed()) << "expected this program to import SetCursor";
        realSetCursor = reinterpret_cast<decltype(realSetCursor)>(hook.original());
        options.structSize = 70, options.toNames = text("Ann Archer; bob");  // two names to resolve
    }
    // The cursors that `call` set, starting from the arrow; the arrow must be back after it.
    template <class Call>
    std::vector<HCURSOR> cursorsOf(Call &&call) {
        realSetCursor(arrow);
        cursorsSet.clear();
        call();
        EXPECT_EQ(GetCursor(), arrow) << "the previous cursor is put back";
        return cursorsSet;
    }
    IatHook hook{GetModuleHandleA(nullptr), "user32.dll", "SetCursor", reinterpret_cast<void *>(&recordSetCursor)};
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW), wait = LoadCursorA(nullptr, IDC_WAIT);
    const std::vector<HCURSOR> once = {wait, arrow}, none = {};
    MAPIDestinationOptions options = {};
    UXDExportRequest noFiles = {};
};
}  // namespace

TEST_F(WaitCursorShown, OnceForAllOfEachCallsWorkAndPutBackOnceWhenItFailsHalfWay) {
    EXPECT_EQ(cursorsOf([&] { ASSERT_EQ(setUpJob(&options), UXD_SUCCESS); }), once)
        << "UXDInitExportDestination, silently: loading the mail system, logging on, resolving";
    EXPECT_EQ(cursorsOf([&] { ASSERT_EQ(UXDExportToDestination(ready.get(), &noFiles), UXD_SUCCESS); }), once) << "UXDExportToDestination";
    void *block = nullptr;
    uint16_t size = 0;
    EXPECT_EQ(cursorsOf([&] { ASSERT_EQ(UXDEncodeDestinationOptions(ready.get(), &block, &size), UXD_SUCCESS); }), once)
        << "UXDEncodeDestinationOptions";
    MAPIDestinationOptions *record = nullptr;
    EXPECT_EQ(cursorsOf([&] { ASSERT_EQ(UXDDecodeDestinationOptions(ready.get(), &record), UXD_SUCCESS); }), once)
        << "UXDDecodeDestinationOptions";
    UXDFreeDestinationOptions(0, record);
    EXPECT_EQ(cursorsOf([&] { UXDTermExportDestination(ready.release(), 0); }), none) << "UXDTermExportDestination";

    options.toNames = text("Ann Archer; Zed Unknown");  // the second name matches nobody
    EXPECT_EQ(cursorsOf([&] { EXPECT_EQ(setUpJob(&options), UXD_E_FAILURE); }), once) << "setup, resolving";
    mail->set("results", "MAPILogon", "3,3");
    EXPECT_EQ(cursorsOf([&] { EXPECT_EQ(setUpJob(&options), UXD_E_FAILURE); }), once) << "setup, logging on";
    mail->set("results", "MAPILogon", "0");
    options.toNames = text("Ann Archer");
    ASSERT_EQ(setUpJob(&options), UXD_SUCCESS);
    mail->set("results", "MAPISendMail", "2");
    EXPECT_EQ(cursorsOf([&] { EXPECT_EQ(UXDExportToDestination(ready.get(), &noFiles), UXD_E_FAILURE); }), once) << "export, sending";
}
