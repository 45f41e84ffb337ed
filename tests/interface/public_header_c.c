/* The public header compiled as strict C11, used as a C host uses it. */
#include "uxdmapi.h"

/* Each entry point's prototype and its pointer type must describe the same function. */
#define UXD_SAME_TYPE(f) _Static_assert(_Generic(&f, f##Proc: 1, default: 0), #f)
UXD_SAME_TYPE(UXDInitialize); UXD_SAME_TYPE(UXDTerminate); UXD_SAME_TYPE(UXDGetVersion); UXD_SAME_TYPE(UXDGetErrorText);
UXD_SAME_TYPE(UXDGetExportDestinations); UXD_SAME_TYPE(UXDGetExportDestinationsEx);
UXD_SAME_TYPE(UXDInitExportDestination); UXD_SAME_TYPE(UXDTermExportDestination); UXD_SAME_TYPE(UXDExportToDestination);
UXD_SAME_TYPE(UXDFreeDestinationOptions); UXD_SAME_TYPE(UXDEncodeDestinationOptions);
UXD_SAME_TYPE(UXDDecodeDestinationOptions); UXD_SAME_TYPE(UXDDestinationOptionsW2A); UXD_SAME_TYPE(UXDDestinationOptionsA2W);

/* The catalogue's identifier as read through the header's records, "" if they disagree. */
const char *uxd_c_host_identifier(UXDGetExportDestinationsExProc destinations) {
    const UXDDestinationCatalogue *catalogue = destinations(0x0409);
    if (!catalogue || catalogue->structSize != sizeof *catalogue || catalogue->entryCount != 1 ||
        catalogue->entries[0]->structSize != sizeof(UXDDestinationEntry))
        return "";
    return catalogue->identifier;
}
