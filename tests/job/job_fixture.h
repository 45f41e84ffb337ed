// Builds export records as a host does and checks that each test leaves no block behind.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "allocation.h"
#include "export_job.h"
#include "module_state.h"
#include "recipient.h"
#include "uxdmapi.h"

inline UXDExportFile exportFile(uint32_t hasFileName, const char *name, const char *pattern = nullptr) {
    UXDExportFile file = {};
    file.hasFileName = hasFileName, file.fileName = name, file.fileNamePattern = pattern;
    return file;
}

// A host's texts and recipient rows, written as literals.
inline char *text(const char *value) { return const_cast<char *>(value); }
inline MapiRecipDesc recipient(ULONG recipClass, const char *name, const char *address = nullptr, ULONG idSize = 0,
                               void *id = nullptr) {
    return {0, recipClass, text(name), text(address), idSize, id};
}
inline void setTable(MAPIDestinationOptions &options, MapiRecipDesc *rows, std::size_t count) {
    options.nRecipients = uint16_t(count), options.recipients = reinterpret_cast<UXDRecipDesc *>(rows);
}
// The names of a recipient list, in its order.
inline std::vector<std::string> namesOf(const MAPIRecipient *list) {
    std::vector<std::string> names;
    for (; list; list = list->next) names.push_back(list->name ? list->name : "(null)");
    return names;
}

struct HostExport {
    std::vector<const UXDExportFile *> filePointers;
    UXDExportRecord record = {};

    explicit HostExport(uint16_t structSize = 64) { record.structSize = structSize; }
    // Entries that are null stand for a missing per-file record.
    const UXDExportRecord *with(std::vector<const UXDExportFile *> entries) {
        filePointers = std::move(entries);
        record.fileCount = static_cast<uint16_t>(filePointers.size());
        record.files = filePointers.data();
        return &record;
    }
};

// Every block of the module carries a canary in the test programs, set before the first.
inline const bool kBlocksGuarded = (uxd::allocation_fault::guardEveryBlock(), true);

class JobTest : public ::testing::Test {
protected:
    void SetUp() override {
        uxd::module.moduleInstance = GetModuleHandleA(nullptr);
        uxd::module.resourceSession = RMInitResMgrSession(uxd::module.moduleInstance, 0, L"pelmo%L.%X", 1);
        blocksBefore = uxd::allocation_fault::outstanding();
        overrunsBefore = uxd::allocation_fault::overrunBlocks();
    }
    void TearDown() override {
        uxd::allocation_fault::reset();
        EXPECT_EQ(uxd::allocation_fault::outstanding(), blocksBefore) << "blocks leaked";
        EXPECT_EQ(uxd::allocation_fault::overrunBlocks(), overrunsBefore) << "blocks written past their end";
        RMTermResMgrSession(uxd::module.resourceSession);
        uxd::module.resourceSession = nullptr;
    }
    long blocksBefore = 0, overrunsBefore = 0;
};
