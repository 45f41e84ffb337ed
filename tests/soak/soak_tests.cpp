// A host that mails all day: thousands of silent jobs in one process, each set up, encoded,
// decoded, sent and ended. Nothing may pile up: not the module's blocks, not MAPI buffers or
// objects, not the process's private memory. UXD_SOAK_JOBS sets the count (10,000).
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "job_fixture.h"
#include "test_mail.h"

namespace {
// The process's private (committed) bytes: Windows gives them as PrivateUsage and as
// PagefileUsage, Wine as PagefileUsage only.
SIZE_T privateBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

using Soak = JobTest;
}  // namespace

TEST_F(Soak, EveryJobGivesBackWhatItTook) {
    TestMail mail;
    ASSERT_TRUE(mail.available()) << "uxdtestmail.dll is not the registered mail client";
    mail.set("files", "log", "");    // no log and no outbox: the module is measured, not the disk
    mail.set("files", "keep", "no");
    std::string report = mail.folder() + "report.pdf";
    std::ofstream(report, std::ios::binary) << "%PDF-1.4\n" << std::string(1000, 'x');
    const UXDExportFile file = exportFile(1, "C:\\reports\\Sales Q1.pdf");
    HostExport host;
    const UXDExportRecord *record = host.with({&file});
    MAPIDestinationOptions options = {};
    options.structSize = 70, options.toNames = text("Ann Archer; Bob Carter"), options.subject = text("Sales, Q1");
    options.message = text("The figures."), options.password = text("s3cret");
    const char *paths[] = {report.c_str()};
    UXDExportRequest request = {};
    request.fileCount = 1, request.filePaths = paths;

    const char *set = std::getenv("UXD_SOAK_JOBS");
    const unsigned jobs = set && std::atoi(set) > 0 ? unsigned(std::atoi(set)) : 10000;
    SIZE_T atThousand = 0;
    for (unsigned n = 1; n <= jobs; ++n) {
        void *job = nullptr;
        UXDJobInfo *info = nullptr;
        ASSERT_EQ(UXDInitExportDestination(nullptr, 0, &options, record, &job, &info), UXD_SUCCESS) << "job " << n;
        void *block = nullptr;
        uint16_t size = 0;
        MAPIDestinationOptions *decoded = nullptr;
        EXPECT_EQ(UXDEncodeDestinationOptions(job, &block, &size), UXD_SUCCESS) << "job " << n;
        EXPECT_EQ(UXDDecodeDestinationOptions(job, &decoded), UXD_SUCCESS) << "job " << n;
        UXDFreeDestinationOptions(0, decoded);
        EXPECT_EQ(UXDExportToDestination(job, &request), UXD_SUCCESS) << "job " << n << ": " << UXDGetErrorText(job);
        UXDTermExportDestination(job, 0);
        if (n == 1000) atThousand = privateBytes();
        if (HasFailure()) break;
    }
    const SIZE_T atEnd = privateBytes();
    EXPECT_EQ(mail.outstandingBuffers(), 0) << "MAPI buffers the module did not free";
    EXPECT_EQ(mail.outstandingObjects(), 0) << "Extended MAPI objects the module did not release";
    std::printf("soak: %u jobs; private bytes %zu after job 1,000, %zu after job %u\n", jobs, size_t(atThousand),
                size_t(atEnd), jobs);
    // A leak of a hundred bytes a job would show as about a megabyte over 9,000 jobs.
    EXPECT_TRUE(jobs < 2000 || atEnd < atThousand + (1u << 20)) << "private bytes grew from job 1,000 on";
}
