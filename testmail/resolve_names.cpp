// IAddrBook::ResolveName: each entry's PR_DISPLAY_NAME_A is looked up, and a found entry's
// values are replaced by a new block (the caller owns the list, so the old block is freed).
// Entries that already carry PR_ENTRYID are left alone, as a real address book does.
#include <windows.h>
#include <mapi.h>
#include <mapix.h>

#include "addrbook.h"
#include "adrlist.h"
#include "buffers.h"
#include "guard.h"

namespace testmail {
namespace {

struct Resolution {
    bool named = false;
    std::string name;  // a copy: the block it came from is freed when the entry resolves
    HRESULT result = S_OK;
    const BookEntry *entry = nullptr;
    bool already = false;
    std::size_t matches = 0;
};

// A [resolve] result is written as a Simple MAPI code; this is its Extended MAPI twin.
HRESULT extendedResult(unsigned long simple) {
    switch (simple) {
    case MAPI_USER_ABORT: return MAPI_E_USER_CANCEL;
    case MAPI_E_UNKNOWN_RECIPIENT: return MAPI_E_NOT_FOUND;
    case MAPI_E_AMBIGUOUS_RECIPIENT: return MAPI_E_AMBIGUOUS_RECIP;
    }
    return simple >= 0x80000000UL ? static_cast<HRESULT>(simple) : MAPI_E_CALL_FAILED;
}

HRESULT lookupOutcome(const Lookup &lookup) {
    if (lookup.outcome == Lookup::found) return S_OK;
    return lookup.outcome == Lookup::ambiguous ? MAPI_E_AMBIGUOUS_RECIP : MAPI_E_NOT_FOUND;
}

Resolution resolveEntry(ADRENTRY &entry) {
    Resolution r;
    const SPropValue *name = findProp(entry, PR_DISPLAY_NAME_A);
    r.named = name && name->Value.lpszA;
    r.name = r.named ? name->Value.lpszA : "";
    if ((r.already = findProp(entry, PR_ENTRYID) != nullptr)) return r;
    unsigned long scripted = scriptedResolve(r.name);
    if (scripted) {
        r.result = extendedResult(scripted);
        return r;
    }
    Lookup lookup = lookUp(config().book, r.name);
    r.matches = lookup.matches;
    if ((r.result = lookupOutcome(lookup)) != S_OK) return r;
    ULONG count = 0;
    LPSPropValue values = resolvedProps(*lookup.entry, findProp(entry, PR_RECIPIENT_TYPE), count);
    freeBuffer(entry.rgPropVals);
    entry.rgPropVals = values;
    entry.cValues = count;
    r.entry = lookup.entry;
    return r;
}

// " display=... eid=..." after a result, or why there is none.
void describe(LogLine &line, const Resolution &r) {
    if (r.already) line.word("resolved", "already");
    if (r.entry) line.text("display", r.entry->name).bytes("eid", r.entry->entryId.data(), r.entry->entryId.size());
    if (r.matches > 1) line.number("matches", static_cast<long long>(r.matches));
}

// A cancel ends the call; otherwise the first entry that failed gives the result.
HRESULT combined(HRESULT sofar, HRESULT next) {
    if (sofar == MAPI_E_USER_CANCEL || next == MAPI_E_USER_CANCEL) return MAPI_E_USER_CANCEL;
    return sofar != S_OK ? sofar : next;
}

}  // namespace

HRESULT resolveNames(ULONG_PTR ulUIParam, ULONG ulFlags, LPADRLIST list) {
    LogLine line("ResolveName");
    line.hex("ulUIParam", ulUIParam).hex("flags", ulFlags);
    HRESULT result = static_cast<HRESULT>(scriptedResult("ResolveName"));
    if (result == S_OK && !list) result = MAPI_E_INVALID_PARAMETER;
    if (result != S_OK || !list) {
        line.comResult(result).write();
        return result;
    }
    if (list->cEntries != 1) line.number("entries", list->cEntries);
    for (ULONG i = 0; i < list->cEntries && result != MAPI_E_USER_CANCEL; ++i) {
        Resolution r = resolveEntry(list->aEntries[i]);
        result = combined(result, r.result);
        const char *name = r.named ? r.name.c_str() : nullptr;
        if (list->cEntries == 1) line.text("name", name).comResult(r.result);
        else line.detail("entry").text("name", name).detailResult(r.result);
        describe(line, r);
    }
    if (list->cEntries != 1) line.comResult(result);
    line.write();
    return result;
}

}  // namespace testmail
