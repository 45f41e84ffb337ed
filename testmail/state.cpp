// Shared state of the test mail system; see state.h.
#include "state.h"

#include <clocale>
#include <map>
#include <memory>
#include <set>

#include "text.h"

namespace testmail {
namespace {

struct State {
    std::unique_ptr<Config> config;  // null until first use
    std::map<std::string, std::size_t> calls;
    std::set<ULONG_PTR> sessions;
    ULONG_PTR nextSession = 0x1000;
};

State &state() {
    static State instance;
    return instance;
}

// Real mail clients change the working directory and the locale of the process they are
// loaded into, at any call; the scripted [disturb] settings do the same, so tests can see
// them put back.
void disturbProcess(const char *function) {
    const Config &script = config();
    for (const std::string &name : script.disturbIn) {
        if (name != function) continue;
        if (!script.disturbDirectory.empty()) SetCurrentDirectoryA(script.disturbDirectory.c_str());
        if (!script.disturbLocale.empty()) setlocale(LC_ALL, script.disturbLocale.c_str());
    }
}

}  // namespace

std::recursive_mutex &lock() {
    static std::recursive_mutex instance;
    return instance;
}

const Config &config() {
    State &s = state();
    if (!s.config) s.config.reset(new Config(readConfig()));
    return *s.config;
}

unsigned long scriptedResult(const char *function) {
    disturbProcess(function);
    const auto &results = config().results;
    std::size_t call = state().calls[function]++;
    auto list = results.find(function);
    if (list == results.end() || call >= list->second.size()) return 0;
    return list->second[call];
}

unsigned long scriptedResolve(const std::string &name) {
    const auto &resolve = config().resolve;
    auto result = resolve.find(lower(name));
    return result == resolve.end() ? 0 : result->second;
}

void resetScript() {
    State &s = state();
    s.config.reset(new Config(readConfig()));
    s.calls.clear();
}

bool passwordAccepted(const void *password, bool wide) {
    const std::string &wanted = config().logonPassword;
    if (wanted.empty()) return true;
    if (!password) return false;
    return (wide ? wideToAnsi(static_cast<const wchar_t *>(password)) : static_cast<const char *>(password)) == wanted;
}

ULONG_PTR openSession() {
    State &s = state();
    s.sessions.insert(s.nextSession);
    return s.nextSession++;
}

bool closeSession(ULONG_PTR session) { return state().sessions.erase(session) > 0; }

bool knownSession(ULONG_PTR session) { return session == 0 || state().sessions.count(session) > 0; }

}  // namespace testmail
