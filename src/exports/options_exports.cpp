// The options entry points: argument checks at the boundary; the work is the options
// service's.
#include "flat_block.h"
#include "job_options.h"
#include "options_conversion.h"
#include "uxdmapi.h"

using namespace uxd;

extern "C" {

UXDResult UXD_CALL UXDEncodeDestinationOptions(void *handle, void **block, uint16_t *size) noexcept {
    if (!handle || !block || !size) return UXD_E_INVALID_ARGUMENT;
    return encodeJobOptions(static_cast<MAPIDestination *>(handle), block, size);
}

UXDResult UXD_CALL UXDDecodeDestinationOptions(void *handle, MAPIDestinationOptions **record) noexcept {
    if (!handle || !record) return UXD_E_INVALID_ARGUMENT;
    return decodeJobOptions(static_cast<MAPIDestination *>(handle), record);
}

UXDResult UXD_CALL UXDDestinationOptionsW2A(const MAPIDestinationOptionsW *source,
                                            MAPIDestinationOptions **result, uint16_t *size) noexcept {
    return convertOptionsW2A(source, result, size);
}

UXDResult UXD_CALL UXDDestinationOptionsA2W(const MAPIDestinationOptions *source,
                                            MAPIDestinationOptionsW **result, uint16_t *size) noexcept {
    return convertOptionsA2W(source, result, size);
}

UXDResult UXD_CALL UXDFreeDestinationOptions(uint32_t, MAPIDestinationOptions *record) noexcept {
    releaseOptionsRecord(record);
    return UXD_SUCCESS;
}

}  // extern "C"
