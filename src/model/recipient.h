// One recipient of an export job, a node of the job's list for its class, and the list
// operations: parsing typed names, joining them back, and building lists from a table.
#pragma once

#include <windows.h>
#include <mapi.h>

#include <cstddef>
#include <cstdint>

#include "owned_block.h"
#include "recipient_row.h"
#include "slot_zero.h"
#include "uxdmapi.h"

class MAPIDestination;

class MAPIRecipient {
public:
    static void *operator new(std::size_t bytes) noexcept;
    static void operator delete(void *block) noexcept;

    MAPIRecipient(MAPIDestination *job, uint32_t recipClass, const char *name) noexcept;
    MAPIRecipient(MAPIDestination *job, const MapiRecipDesc &descriptor) noexcept;
    // Slot 0, the one deleting destructor: destroys the recipient and the rest of its chain
    // (iteratively: lists may be long); with kReleaseMemory, releases its memory. Use
    // uxd::destroy(list).
    virtual void *deletingDestructor(uint32_t flags) noexcept;

    // After construction from a descriptor: whether its name and descriptor were both copied.
    // One that was not cannot stand for the host's recipient (see setRecipientsFromTable).
    bool copiedWhole(const MapiRecipDesc &descriptor) const noexcept;

    // Resolves the name through Simple MAPI or the address book; 0 or a UXD code.
    UXDResult resolve(LHANDLE session, bool showDialog, HWND window) noexcept;

    MAPIRecipient(const MAPIRecipient &) = delete;
    MAPIRecipient &operator=(const MAPIRecipient &) = delete;

    MAPIRecipient *next = nullptr;        // owned
    MAPIDestination *job;                 // not owned
    uint32_t recipClass;
    char *name = nullptr;                 // as typed; the display name once resolved
    MapiRecipDesc *resolved = nullptr;    // own deep copy, or null
    uint32_t isResolved = 0;
    uint32_t language;

protected:
    ~MAPIRecipient();  // reached through slot 0 only

private:
    void takeResolved(MapiRecipDesc *descriptor) noexcept;
};

namespace uxd {

// One row on the module's heap that releases its parts.
struct OwnedRow : MapiRecipDesc {
    OwnedRow() noexcept : MapiRecipDesc{} {}
    OwnedRow(const OwnedRow &) = delete;
    OwnedRow &operator=(const OwnedRow &) = delete;
    ~OwnedRow() { releaseRecipientRow(*this); }
};

// A table of rows on the module's heap, each row owning its parts.
class RecipientTable : public owned_array<MapiRecipDesc, releaseRecipientRow<MapiRecipDesc>> {
public:
    // A copy of every row of `table`; false when one of them could not be copied whole.
    bool copy(uint32_t count, const MapiRecipDesc *table) noexcept;
    MapiRecipDesc *rows() const noexcept { return get(); }
};

// Deep copy on the module's heap: null when any part cannot be copied (nothing is left).
MapiRecipDesc *copyRecipDesc(const MapiRecipDesc &source) noexcept;
void releaseRecipDesc(MapiRecipDesc *descriptor) noexcept;

// A descriptor that names somebody the mail system can reach.
bool identifiesRecipient(const MapiRecipDesc *descriptor) noexcept;

UXDResult parseRecipients(MAPIDestination *job, const char *text, MAPIRecipient **head,
                          uint32_t recipClass) noexcept;
// Writes the names with "; " between them; false when names had to be left out to stay
// within capacity (see RecipientJoiner).
bool joinRecipients(MAPIDestination *job, const MAPIRecipient *list, char *buffer,
                    std::size_t capacity) noexcept;
uint32_t countRecipients(const MAPIRecipient *list) noexcept;
void reverseRecipients(MAPIRecipient **head) noexcept;
// Replaces the job's three lists by the table's entries, by class, in table order. All or
// nothing: 2 when a recipient cannot be made whole, 5 for an entry with an identifier size
// but no identifier; the job's lists are then as they were.
UXDResult setRecipientsFromTable(MAPIDestination *job, uint32_t count,
                                 const MapiRecipDesc *table) noexcept;

}  // namespace uxd
