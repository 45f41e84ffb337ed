// The export job's entry points: argument checks at the boundary, the work in the flows.
#include <windows.h>

#include "export.h"
#include "setup.h"
#include "teardown.h"
#include "uxdmapi.h"

using namespace uxd;

extern "C" {

UXDResult UXD_CALL UXDInitExportDestination(void *parent, uint32_t, const MAPIDestinationOptions *options,
                                            const UXDExportRecord *exportRecord, void **jobOut,
                                            UXDJobInfo **infoBlock) noexcept {
    if (jobOut) *jobOut = nullptr;
    if (!exportRecord || !jobOut || !infoBlock) return UXD_E_INVALID_ARGUMENT;
    MAPIDestination *job = nullptr;
    UXDResult rc = setUpJob(static_cast<HWND>(parent), options, exportRecord, &job);
    if (rc != UXD_SUCCESS) return rc;
    *jobOut = job;
    *infoBlock = &job->infoBlock;
    return UXD_SUCCESS;
}

UXDResult UXD_CALL UXDExportToDestination(void *handle, const UXDExportRequest *request) noexcept {
    if (!handle) return UXD_E_INVALID_ARGUMENT;
    return exportJob(*static_cast<MAPIDestination *>(handle), request);
}

UXDResult UXD_CALL UXDTermExportDestination(void *handle, uint32_t) noexcept {
    if (handle) endJob(static_cast<MAPIDestination *>(handle));
    return UXD_SUCCESS;
}

}  // extern "C"
