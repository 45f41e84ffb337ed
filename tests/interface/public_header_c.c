/* The public header compiled as strict C11, used as a C host uses it. */
#include "uxdmapi.h"

/* Each entry point's prototype and its pointer type must describe the same function. */
#define UXD_SAME_TYPE(function, proc) _Generic(&function, proc: 1, default: 0)
_Static_assert(UXD_SAME_TYPE(UXDInitialize, UXDInitializeProc), "UXDInitialize");
_Static_assert(UXD_SAME_TYPE(UXDTerminate, UXDTerminateProc), "UXDTerminate");
_Static_assert(UXD_SAME_TYPE(UXDGetVersion, UXDGetVersionProc), "UXDGetVersion");
_Static_assert(UXD_SAME_TYPE(UXDGetErrorText, UXDGetErrorTextProc), "UXDGetErrorText");
_Static_assert(UXD_SAME_TYPE(UXDGetExportDestinations, UXDGetExportDestinationsProc),
               "UXDGetExportDestinations");
_Static_assert(UXD_SAME_TYPE(UXDGetExportDestinationsEx, UXDGetExportDestinationsExProc),
               "UXDGetExportDestinationsEx");

/* The catalogue's identifier as read through the header's records, "" if they disagree. */
const char *uxd_c_host_identifier(UXDGetExportDestinationsExProc destinations) {
    const UXDDestinationCatalogue *catalogue = destinations(0x0409);
    if (!catalogue || catalogue->structSize != sizeof *catalogue || catalogue->entryCount != 1 ||
        catalogue->entries[0]->structSize != sizeof(UXDDestinationEntry))
        return "";
    return catalogue->identifier;
}
