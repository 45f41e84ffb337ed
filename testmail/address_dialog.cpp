// IAddrBook::Address, the address book dialog without a window: it logs what the caller
// asked for and answers with the configured picks (or a cancel), replacing the caller's list.
#include <windows.h>
#include <mapix.h>

#include "addrbook.h"
#include "adrlist.h"
#include "guard.h"

namespace testmail {
namespace {

void logRequest(LogLine &line, const ADRPARM &params, const ADRLIST *list) {
    bool wide = (params.ulFlags & MAPI_UNICODE) != 0;
    line.hex("flags", params.ulFlags).text("caption", params.lpszCaption, wide);
    line.number("destFields", params.cDestFields).number("entries", list ? list->cEntries : 0);
    for (ULONG i = 0; params.lppszDestTitles && i < params.cDestFields; ++i)
        line.detail("destTitle").number("index", i).text("text", params.lppszDestTitles[i], wide);
    for (ULONG i = 0; list && i < list->cEntries; ++i) logAdrEntry(line, "entry", list->aEntries[i]);
}

}  // namespace

HRESULT addressDialog(LPADRPARM params, LPADRLIST *list) {
    LogLine line("Address");
    if (!params || !list) {
        line.comResult(MAPI_E_INVALID_PARAMETER).write();
        return MAPI_E_INVALID_PARAMETER;
    }
    logRequest(line, *params, *list);
    HRESULT result = static_cast<HRESULT>(scriptedResult("Address"));
    if (result == S_OK && config().pickCancel) result = MAPI_E_USER_CANCEL;
    LPADRLIST picked = result == S_OK ? newPickedList(pickedRecipients(config())) : nullptr;
    if (picked) {
        if (freeAdrList(*list) > 0) line.detail("caller's list held blocks not from MAPIAllocateBuffer");
        *list = picked;
        for (ULONG i = 0; i < picked->cEntries; ++i) logAdrEntry(line, "picked", picked->aEntries[i]);
    }
    line.comResult(result);
    if (picked) line.number("picked", picked->cEntries);
    line.write();
    return result;
}

}  // namespace testmail
