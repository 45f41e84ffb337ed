// Replaces one imported function of a loaded module by patching its import address table,
// so a test can count or fake calls a module makes into another DLL. Restores on destruction.
#pragma once

#include <windows.h>

class IatHook {
public:
    // module: the importer; dll: e.g. "rmlocale-1-0.dll"; function: the import's name.
    IatHook(HMODULE module, const char *dll, const char *function, void *replacement);
    ~IatHook();
    IatHook(const IatHook &) = delete;
    IatHook &operator=(const IatHook &) = delete;

    bool installed() const { return slot_ != nullptr; }
    void *original() const { return original_; }

private:
    void **slot_ = nullptr;
    void *original_ = nullptr;
};
