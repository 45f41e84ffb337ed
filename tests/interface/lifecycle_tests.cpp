// Starting and stopping the module: the use count, the mail setting, the resource manager
// session and the default texts, including every allocation failing in turn.
#include "module_fixture.h"

using namespace uxd;

using Lifecycle = ModuleTest;

TEST_F(Lifecycle, FirstInitializeStartsOnceAndLastTerminateStops) {
    ASSERT_EQ(UXDInitialize(0), UXD_SUCCESS);
    RMSESSION session = module.resourceSession;
    EXPECT_NE(session, nullptr);
    EXPECT_STREQ(module.defaultName, "MAPI");
    EXPECT_EQ(strlen(module.defaultDescription), 143u);

    EXPECT_EQ(UXDInitialize(0), UXD_SUCCESS);
    EXPECT_EQ(RmSpy::inits, 1) << "a second UXDInitialize opens no second session";
    EXPECT_EQ(module.resourceSession, session);

    EXPECT_EQ(UXDTerminate(), UXD_SUCCESS);
    EXPECT_EQ(RmSpy::terms, 0) << "one UXDInitialize is still open";
    EXPECT_NE(module.defaultName, nullptr);

    EXPECT_EQ(UXDTerminate(), UXD_SUCCESS);
    EXPECT_EQ(RmSpy::terms, 1);
    EXPECT_EQ(module.resourceSession, nullptr);
    EXPECT_EQ(module.defaultName, nullptr);
    EXPECT_EQ(module.defaultDescription, nullptr);
}

TEST_F(Lifecycle, MailSettingOffGivesSevenAndStartsNothing) {
    for (const char *off : std::initializer_list<const char *>{"0", nullptr}) {  // set to 0, and missing altogether
        SCOPED_TRACE(off ? "MAPI=0" : "no MAPI key");
        WriteProfileStringA("Mail", "MAPI", off);
        module.useCount = 0;
        EXPECT_EQ(UXDInitialize(0), UXD_E_MAIL_UNAVAILABLE);
        EXPECT_EQ(RmSpy::inits, 0);
        EXPECT_EQ(UXDInitialize(0), UXD_SUCCESS) << "the failed call still counts";
        EXPECT_EQ(module.useCount, 2);
        EXPECT_EQ(module.resourceSession, nullptr);
        EXPECT_EQ(module.defaultName, nullptr);
    }
}

TEST_F(Lifecycle, TerminateWithoutInitializeIsHarmless) {
    EXPECT_EQ(UXDTerminate(), UXD_SUCCESS);
    EXPECT_EQ(RmSpy::terms, 0) << "no session was open";
    EXPECT_EQ(module.defaultName, nullptr);
    module.useCount = 0;
}

TEST_F(Lifecycle, NameNotLoadableGivesSevenAndClosesTheSession) {
    RmSpy::failLoads = true;
    EXPECT_EQ(UXDInitialize(0), UXD_E_MAIL_UNAVAILABLE);
    EXPECT_EQ(RmSpy::inits, 1);
    EXPECT_EQ(RmSpy::terms, 1);
    EXPECT_EQ(module.resourceSession, nullptr);
    EXPECT_EQ(module.defaultName, nullptr);
}

TEST_F(Lifecycle, EveryFailingAllocationGivesTwoAndClosesTheSession) {
    // Count the allocations of a good start, then fail each of them in turn.
    allocation_fault::failAt(0);
    ASSERT_EQ(UXDInitialize(0), UXD_SUCCESS);
    unsigned long allocations = allocation_fault::attempts();
    UXDTerminate();
    ASSERT_EQ(allocations, 2u) << "the name and the description";

    for (unsigned long nth = 1; nth <= allocations; ++nth) {
        SCOPED_TRACE("allocation " + std::to_string(nth) + " fails");
        RmSpy::inits = RmSpy::terms = 0;
        allocation_fault::failAt(nth);
        EXPECT_EQ(UXDInitialize(0), UXD_E_OUT_OF_MEMORY);
        allocation_fault::reset();
        EXPECT_EQ(module.resourceSession, nullptr);
        EXPECT_EQ(RmSpy::terms, RmSpy::inits) << "the session opened is closed";
        EXPECT_EQ(UXDInitialize(0), UXD_SUCCESS) << "count kept: no second start";
        EXPECT_EQ(RmSpy::inits, 1);
        UXDTerminate();
        UXDTerminate();
        EXPECT_EQ(module.defaultName, nullptr) << "a name already made is released by UXDTerminate";
        EXPECT_EQ(allocation_fault::outstanding(), blocksBefore);
    }
}

TEST(ModuleTexts, VersionAndEmptyModuleErrorText) {
    EXPECT_EQ(UXDGetVersion(), 0x0100);
    setModuleErrorText(std::string(400, 'x').c_str());
    EXPECT_EQ(strlen(UXDGetErrorText(nullptr)), 299u) << "cut to 299 characters";
    setModuleErrorText(nullptr);
    EXPECT_STREQ(UXDGetErrorText(nullptr), "");
}
