// The five exports of rmlocale-1-0.dll. No exception leaves them: out of memory gives the
// documented empty answer.
#define RMLOCALE_BUILD
#include "rmlocale.h"

#include <cstring>
#include <new>

#include "session.h"

namespace {
std::wstring moduleFolder(HINSTANCE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}
}  // namespace

extern "C" {

RMSESSION WINAPI RMInitResMgrSession(HINSTANCE module, DWORD, LPCWSTR fileNamePattern,
                                     DWORD fallbackToModule) {
    try {
        RMSession *session = new RMSession;
        session->module = module;
        session->folder = moduleFolder(module);
        session->pattern = fileNamePattern ? fileNamePattern : L"";
        session->fallbackToModule = fallbackToModule != 0;
        return session;
    } catch (...) {
        return nullptr;
    }
}

int WINAPI RMLoadStringA(RMSESSION session, WORD language, UINT id, LPSTR buffer, int maxChars) {
    if (!buffer || maxChars < 0) return 0;
    buffer[0] = '\0';
    if (!session) return 0;
    try {
        LANGID wanted = rm::concreteLanguage(language);
        for (HMODULE module : session->modulesFor(language)) {
            std::wstring text = rm::findString(module, id, wanted);
            if (text.empty()) continue;
            std::string narrow = rm::toAnsi(text, maxChars);
            std::memcpy(buffer, narrow.c_str(), narrow.size() + 1);
            return static_cast<int>(narrow.size());
        }
    } catch (...) {
    }
    buffer[0] = '\0';
    return 0;
}

void WINAPI RMTermResMgrSession(RMSESSION session) { delete session; }

HINSTANCE WINAPI RMGetResDLLInstance(RMSESSION session, DWORD language, HWND) {
    if (!session) return nullptr;
    try {
        std::vector<HMODULE> modules = session->modulesFor(static_cast<WORD>(language));
        return modules.empty() ? session->module : modules.front();
    } catch (...) {
        return session->module;
    }
}

LANGID WINAPI GetProductLocale(void) { return GetUserDefaultUILanguage(); }

}  // extern "C"
