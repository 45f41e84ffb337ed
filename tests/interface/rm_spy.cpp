#include "rm_spy.h"

#include <gtest/gtest.h>

int RmSpy::inits, RmSpy::loads, RmSpy::terms;
bool RmSpy::failLoads;

namespace {
decltype(&RMInitResMgrSession) realInit;
decltype(&RMLoadStringA) realLoad;
decltype(&RMTermResMgrSession) realTerm;

RMSESSION WINAPI countedInit(HINSTANCE module, DWORD options, LPCWSTR pattern, DWORD fallback) {
    ++RmSpy::inits;
    return realInit(module, options, pattern, fallback);
}
int WINAPI countedLoad(RMSESSION session, WORD language, UINT id, LPSTR buffer, int maxChars) {
    ++RmSpy::loads;
    if (RmSpy::failLoads) {
        if (buffer) buffer[0] = '\0';
        return 0;
    }
    return realLoad(session, language, id, buffer, maxChars);
}
void WINAPI countedTerm(RMSESSION session) {
    ++RmSpy::terms;
    realTerm(session);
}
}  // namespace

RmSpy::RmSpy() {
    inits = loads = terms = 0;
    failLoads = false;
    HMODULE self = GetModuleHandleA(nullptr);
    const char *dll = "rmlocale-1-0.dll";
    init_ = std::make_unique<IatHook>(self, dll, "RMInitResMgrSession", (void *)&countedInit);
    load_ = std::make_unique<IatHook>(self, dll, "RMLoadStringA", (void *)&countedLoad);
    term_ = std::make_unique<IatHook>(self, dll, "RMTermResMgrSession", (void *)&countedTerm);
    EXPECT_TRUE(init_->installed() && load_->installed() && term_->installed())
        << "the test program must import the resource manager";
    realInit = reinterpret_cast<decltype(realInit)>(init_->original());
    realLoad = reinterpret_cast<decltype(realLoad)>(load_->original());
    realTerm = reinterpret_cast<decltype(realTerm)>(term_->original());
}

RmSpy::~RmSpy() = default;
