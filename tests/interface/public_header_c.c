/* The public header compiled as strict C11: it must build without C++ and lay the records out
   as C++ does. The C++ tests compare the layout reported here with their own. */
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

/* Sizes and offsets in the order of uxd_c_header_layout's index; (size_t)-1 past the end. */
size_t uxd_c_header_layout(unsigned index) {
    static const size_t layout[] = {
        sizeof(UXDDestinationEntry),
        offsetof(UXDDestinationEntry, structSize),
        offsetof(UXDDestinationEntry, reserved1),
        offsetof(UXDDestinationEntry, name),
        offsetof(UXDDestinationEntry, value),
        offsetof(UXDDestinationEntry, reserved2),
        offsetof(UXDDestinationEntry, description),
        sizeof(UXDDestinationCatalogue),
        offsetof(UXDDestinationCatalogue, structSize),
        offsetof(UXDDestinationCatalogue, entryCount),
        offsetof(UXDDestinationCatalogue, reserved),
        offsetof(UXDDestinationCatalogue, entries),
        offsetof(UXDDestinationCatalogue, identifier),
        sizeof(((UXDDestinationCatalogue *)0)->identifier),
        sizeof(UXDResult),
    };
    return index < sizeof layout / sizeof layout[0] ? layout[index] : (size_t)-1;
}
