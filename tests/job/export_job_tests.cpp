// Building an export job from the host's export record: logon flags, language, attachment
// names, the information block, and out-of-memory at every step.
#include <memory>

#include "job_fixture.h"

using namespace uxd;

namespace {
struct JobDeleter {
    void operator()(MAPIDestination *job) const { delete job; }
};
using JobPtr = std::unique_ptr<MAPIDestination, JobDeleter>;

JobPtr makeJob(const UXDExportRecord *record, HWND parent = nullptr) {
    return JobPtr(new MAPIDestination(parent, record));
}
}  // namespace

using JobConstruction = JobTest;

TEST_F(JobConstruction, RecordSizeDecidesWhichFieldsAreRead) {
    const struct {
        uint16_t structSize;
        uint32_t allowLogonUI, language;
        uint32_t expectedFlags, expectedLanguage;
    } cases[] = {
        {56, 1, 0x0407, 0, 0x400},       // neither field is there
        {60, 1, 0x0407, 1, 0x400},       // logon dialog allowed, no language yet
        {60, 0, 0x0407, 0, 0x400},
        {64, 1, 0x0407, 1, 0x0407},
        {64, 0xFFFF, 0x0C07, 1, 0x0C07}, // any nonzero value allows the dialog
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("structSize " + std::to_string(c.structSize));
        HostExport host(c.structSize);
        host.record.allowLogonUI = c.allowLogonUI;
        host.record.language = c.language;
        JobPtr job = makeJob(host.with({}));
        EXPECT_EQ(job->logonFlags, c.expectedFlags);
        EXPECT_EQ(job->language, c.expectedLanguage);
    }
}

TEST_F(JobConstruction, InformationBlockIsSizedAndZeroed) {
    HostExport host;
    JobPtr job = makeJob(host.with({}), reinterpret_cast<HWND>(0x12345678ABull));
    auto *bytes = reinterpret_cast<const unsigned char *>(&job->infoBlock);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 112);
    for (size_t i = 2; i < sizeof job->infoBlock; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_EQ(job->parentWindow, reinterpret_cast<HWND>(0x12345678ABull)) << "all 64 bits kept";
    EXPECT_EQ(job->errorCode, 0);
    EXPECT_EQ(job->errorText, nullptr);
    EXPECT_EQ(job->session, 0u);
}

TEST_F(JobConstruction, NoFilesGivesNoAttachments) {
    HostExport host;
    JobPtr job = makeJob(host.with({}));
    EXPECT_EQ(job->attachmentCount, 0);
    EXPECT_EQ(job->attachmentNames, nullptr);
}

TEST_F(JobConstruction, AttachmentsAreNamedAfterTheirRecords) {
    HostExport host;
    UXDExportFile pdf = HostExport::named("C:\\Reports\\2026\\Q3 sales.pdf");
    UXDExportFile csv = HostExport::patterned("\\\\server\\out\\*.csv");
    UXDExportFile unnamed = HostExport::named(nullptr);
    UXDExportFile bare = {};
    JobPtr job = makeJob(host.with({&pdf, &csv, nullptr, &unnamed, &bare}));
    ASSERT_EQ(job->attachmentCount, 5);
    const char *expected[] = {"Q3 sales.pdf", "untitled.csv", "untitled.txt", "", "untitled.txt"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(job->attachmentNames[i], expected[i]) << "attachment " << i;
}

TEST_F(JobConstruction, OutOfMemoryAtEveryStepLeaksNothing) {
    HostExport host;
    UXDExportFile a = HostExport::named("a.pdf"), b = HostExport::named("b.csv");
    const UXDExportRecord *record = host.with({&a, &b});

    allocation_fault::failAt(1);
    EXPECT_EQ(new MAPIDestination(nullptr, record), nullptr) << "no job without memory";

    allocation_fault::failAt(2);  // the name array: the job has no names at all
    JobPtr noNames = makeJob(record);
    EXPECT_EQ(noNames->attachmentNames, nullptr);
    noNames.reset();

    allocation_fault::failAt(4);  // the second name alone
    JobPtr oneName = makeJob(record);
    ASSERT_NE(oneName->attachmentNames, nullptr);
    EXPECT_STREQ(oneName->attachmentNames[0], "a.pdf");
    EXPECT_EQ(oneName->attachmentNames[1], nullptr);
    oneName.reset();

    for (unsigned long nth = 1; nth <= 7; ++nth) {
        SCOPED_TRACE("text buffer " + std::to_string(nth) + " fails");
        JobPtr job = makeJob(record);
        allocation_fault::failAt(nth);
        EXPECT_EQ(job->allocateTextBuffers(), UXD_E_OUT_OF_MEMORY);
        allocation_fault::reset();
    }
}
