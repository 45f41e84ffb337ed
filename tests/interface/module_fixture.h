// Puts the module's state back to "just loaded" around each test, with this program as the
// module (its resources are the module's own) and the resource manager watched.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "allocation.h"
#include "catalogue.h"
#include "module_state.h"
#include "rm_spy.h"
#include "uxdmapi.h"

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteProfileStringA("Mail", "MAPI", "1");
        uxd::module.moduleInstance = GetModuleHandleA(nullptr);
        uxd::module.moduleErrorText[0] = '\0';
        uxd::catalogue::releaseAll();
        blocksBefore = uxd::allocation_fault::outstanding();
        spy = std::make_unique<RmSpy>();
    }
    void TearDown() override {
        uxd::allocation_fault::reset();
        spy.reset();
        while (uxd::module.useCount > 0) UXDTerminate();
        uxd::module.useCount = 0;
        uxd::catalogue::releaseAll();
        EXPECT_EQ(uxd::allocation_fault::outstanding(), blocksBefore) << "blocks leaked";
        WriteProfileStringA("Mail", "MAPI", "1");
    }

    long blocksBefore = 0;
    std::unique_ptr<RmSpy> spy;
};
