#include "mail_fixture.h"

#include "address_book.h"

namespace {
decltype(&LoadLibraryA) realLoad;
decltype(&GetProcAddress) realLookup;

HMODULE WINAPI spyLoad(LPCSTR name) {
    if (name && !_stricmp(name, "MAPI32.DLL")) {
        LoaderSpy::errorModeAtLoad = GetErrorMode();
        LoaderSpy::cursorAtLoad = GetCursor();
        if (LoaderSpy::failMapiLoad) return SetLastError(ERROR_MOD_NOT_FOUND), nullptr;
    }
    return realLoad(name);
}

FARPROC WINAPI spyLookup(HMODULE module, LPCSTR name) {
    if (reinterpret_cast<ULONG_PTR>(name) > 0xFFFF) {  // not an ordinal
        LoaderSpy::lookups.push_back(name);
        if (LoaderSpy::missing.count(name)) return SetLastError(ERROR_PROC_NOT_FOUND), nullptr;
    }
    return realLookup(module, name);
}
}  // namespace

LoaderSpy::LoaderSpy()
    : load(GetModuleHandleA(nullptr), "kernel32.dll", "LoadLibraryA", (void *)&spyLoad),
      lookup(GetModuleHandleA(nullptr), "kernel32.dll", "GetProcAddress", (void *)&spyLookup) {
    lookups.clear(), missing.clear(), failMapiLoad = false;
    EXPECT_TRUE(load.installed() && lookup.installed()) << "the program imports both";
    realLoad = reinterpret_cast<decltype(realLoad)>(load.original());
    realLookup = reinterpret_cast<decltype(realLookup)>(lookup.original());
}

void MailTest::SetUp() {
    JobTest::SetUp();
    mail = std::make_unique<TestMail>();
    ASSERT_TRUE(mail->available()) << "uxdtestmail.dll is not the registered mail client";
    loader = std::make_unique<LoaderSpy>();
    uxd::extendedMapi.bound = false;  // each test binds afresh
}

void MailTest::makeJob(uint32_t allowLogonUI) {
    host.record.allowLogonUI = allowLogonUI, host.record.language = 0x0409;
    job.reset(new MAPIDestination(reinterpret_cast<HWND>(0x1234567890ull), host.with({})));
    ASSERT_EQ(job->allocateTextBuffers(), UXD_SUCCESS);
}

UXDResult MailTest::setUpJob(const MAPIDestinationOptions *options, std::vector<const UXDExportFile *> files) {
    UXDTermExportDestination(ready.release(), 0);
    UXDJobInfo *info = nullptr;
    void *handle = reinterpret_cast<void *>(1);
    UXDResult rc = UXDInitExportDestination(nullptr, 0, options, host.with(std::move(files)), &handle, &info);
    ready.reset(static_cast<MAPIDestination *>(handle));
    EXPECT_EQ(handle == nullptr, rc != UXD_SUCCESS) << "a job exactly on success";
    EXPECT_TRUE(!handle || info == &ready->infoBlock);
    return rc;
}

void MailTest::TearDown() {
    UXDTermExportDestination(ready.release(), 0);
    job.reset(), loader.reset();
    EXPECT_EQ(mail->outstandingBuffers(), 0) << "MAPI buffers the module did not free";
    EXPECT_EQ(mail->outstandingObjects(), 0) << "Extended MAPI objects the module did not release";
    mail.reset();
    JobTest::TearDown();
}
