// Building an export job from the host's export record: logon flags, language, attachment
// names, the information block, and out-of-memory at every step.
#include <memory>

#include "job_fixture.h"

using namespace uxd;
using JobConstruction = JobTest;
using Job = uxd::unique_job;

TEST_F(JobConstruction, RecordSizeDecidesWhichFieldsAreRead) {
    const struct {
        uint16_t structSize;
        uint32_t allowLogonUI, language, expectedFlags, expectedLanguage;
    } cases[] = {
        {56, 1, 0x0407, 0, 0x400},        // neither field is there
        {60, 1, 0x0407, 1, 0x400},        // logon dialog allowed, no language yet
        {60, 0, 0x0407, 0, 0x400},
        {64, 0xFFFF, 0x0C07, 1, 0x0C07},  // any nonzero value allows the dialog
    };
    for (const auto &c : cases) {
        HostExport host(c.structSize);
        host.record.allowLogonUI = c.allowLogonUI;
        host.record.language = c.language;
        Job job(new MAPIDestination(nullptr, host.with({})));
        EXPECT_EQ(job->logonFlags, c.expectedFlags) << "structSize " << c.structSize;
        EXPECT_EQ(job->language, c.expectedLanguage) << "structSize " << c.structSize;
    }
}

TEST_F(JobConstruction, InformationBlockIsSizedAndZeroedAndNoFilesMeansNoAttachments) {
    HostExport host;
    Job job(new MAPIDestination(reinterpret_cast<HWND>(0x12345678ABull), host.with({})));
    auto *bytes = reinterpret_cast<const unsigned char *>(&job->infoBlock);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 112);
    for (size_t i = 2; i < sizeof job->infoBlock; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_EQ(job->parentWindow, reinterpret_cast<HWND>(0x12345678ABull)) << "all 64 bits kept";
    EXPECT_EQ(job->attachmentCount, 0);
    EXPECT_EQ(job->attachmentNames, nullptr);
}

TEST_F(JobConstruction, AttachmentsAreNamedAfterTheirRecords) {
    const UXDExportFile pdf = exportFile(1, "C:\\Reports\\2026\\Q3 sales.pdf"), unnamed = exportFile(1, nullptr),
                        csv = exportFile(0, "ignored.txt", "\\\\server\\out\\*.csv"), bare = {};
    HostExport host;
    Job job(new MAPIDestination(nullptr, host.with({&pdf, &csv, nullptr, &unnamed, &bare})));
    const char *expected[] = {"Q3 sales.pdf", "untitled.csv", "untitled.txt", "", "untitled.txt"};
    ASSERT_EQ(job->attachmentCount, 5);
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(job->attachmentNames[i], expected[i]) << "attachment " << i;
}

