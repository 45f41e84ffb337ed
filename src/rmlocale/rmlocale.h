/*
 * rmlocale.h - the resource manager rmlocale-1-0.dll: finds, for a language, the localized
 * resource library of a module and takes texts and dialog templates from it, falling back
 * to the module's own resources.
 *
 * How it works (our implementation):
 * - A session belongs to one module. Its file-name pattern is expanded per language:
 *   "%L" becomes the language identifier as four upper-case hex digits, "%X" becomes
 *   "dll", "%%" a single "%"; so "pelmo%L.%X" names "pelmo0407.dll" for German (Germany).
 * - Localized libraries are looked for in the folder of the session's module and loaded as
 *   data files: no code of theirs runs.
 * - For a language the manager tries, in order: the library for that exact language, the
 *   library for its primary language with the default sublanguage (0x0C07 -> 0x0407), then
 *   the module's own resources. A text missing from a library is taken from the next one.
 * - Language 0x0400 (user default) and 0 mean the user's UI language, 0x0800 the system's.
 * - GetProductLocale reports the user's UI language.
 */
#ifndef RMLOCALE_H
#define RMLOCALE_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef RMLOCALE_BUILD
#define RMLOCALE_API
#else
#define RMLOCALE_API __declspec(dllimport)
#endif

typedef struct RMSession *RMSESSION;

/* options: reserved, pass 0. fallbackToModule: nonzero takes texts that no localized
   library supplies from the module itself. Returns null when out of memory. */
RMLOCALE_API RMSESSION WINAPI RMInitResMgrSession(HINSTANCE module, DWORD options,
                                                  LPCWSTR fileNamePattern, DWORD fallbackToModule);

/* Copies text `id` in `language` into buffer: at most maxChars characters and a terminator,
   so the buffer needs maxChars + 1 bytes. Returns the number of characters copied, or 0
   with an empty buffer when the text cannot be supplied (also for a null session). */
RMLOCALE_API int WINAPI RMLoadStringA(RMSESSION session, WORD language, UINT id, LPSTR buffer,
                                      int maxChars);

RMLOCALE_API void WINAPI RMTermResMgrSession(RMSESSION session);

/* The module to load resources such as dialog templates from for `language`: the most
   specific localized library there is or, when there is none, the session's own module
   (whatever fallbackToModule says). A localized library is expected to carry every
   template of the module. `owner` is not used. */
RMLOCALE_API HINSTANCE WINAPI RMGetResDLLInstance(RMSESSION session, DWORD language, HWND owner);

RMLOCALE_API LANGID WINAPI GetProductLocale(void);

#ifdef __cplusplus
}
#endif

#endif /* RMLOCALE_H */
