// The five exports of rmlocale-1-0.dll. Nothing here throws: out of memory gives the
// documented empty answer.
#define RMLOCALE_BUILD
#include "rmlocale.h"

#include "session.h"

extern "C" {

RMSESSION WINAPI RMInitResMgrSession(HINSTANCE module, DWORD, LPCWSTR fileNamePattern,
                                     DWORD fallbackToModule) {
    return RMSession::open(module, fileNamePattern, fallbackToModule != 0);
}

int WINAPI RMLoadStringA(RMSESSION session, WORD language, UINT id, LPSTR buffer, int maxChars) {
    if (!buffer || maxChars < 0) return 0;
    buffer[0] = '\0';
    if (!session) return 0;
    LANGID wanted = rm::concreteLanguage(language);
    HMODULE modules[3];
    for (int i = 0, n = session->modulesFor(language, modules); i < n; ++i) {
        int length = 0;
        const wchar_t *text = rm::findString(modules[i], id, wanted, &length);
        if (!text || length == 0) continue;
        return rm::toAnsi(text, length, buffer, maxChars);
    }
    return 0;
}

void WINAPI RMTermResMgrSession(RMSESSION session) {
    if (session) session->close();
}

HINSTANCE WINAPI RMGetResDLLInstance(RMSESSION session, DWORD language, HWND) {
    if (!session) return nullptr;
    HMODULE modules[3];
    return session->modulesFor(static_cast<WORD>(language), modules) ? modules[0] : session->module;
}

LANGID WINAPI GetProductLocale(void) { return GetUserDefaultUILanguage(); }

}  // extern "C"
