// Drives the test mail system (uxdtestmail.dll, the registered mail client that MAPI32.DLL
// routes to): writes its script, resets it, and reads back the calls it logged.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// A message as the test mail system wrote it to its outbox (ASCII texts).
struct SentMail {
    std::string to, cc, subject, body;      // the headers as written, the text part
    std::vector<std::string> attachments;  // file names, in order
    auto fields() const { return std::tie(to, cc, subject, body, attachments); }
    bool operator==(const SentMail &other) const { return fields() == other.fields(); }
};
std::string describe(const SentMail &mail);

class TestMail {
public:
    // A fresh folder with an empty log and outbox, and an address book of Ann Archer, Anna
    // Baker, Bob Carter and "No Address" (whose entry has an identifier only).
    TestMail();
    ~TestMail();

    // [section] key=value in the script; takes effect at once.
    void set(const char *section, const char *key, const std::string &value);

    std::vector<std::string> log() const;                     // every line so far
    std::vector<std::string> calls(const std::string &function) const;  // lines starting so
    long outstandingBuffers() const { return counter("TestMailOutstandingBuffers"); }
    long outstandingObjects() const { return counter("TestMailOutstandingObjects"); }
    const std::string &folder() const { return folder_; }
    std::string outbox() const { return folder_ + "outbox\\"; }
    std::vector<std::string> outboxFiles() const;
    std::vector<SentMail> sent() const;  // every message in the outbox, oldest first
    void clearOutbox() const;

    bool available() const { return module_ != nullptr; }

private:
    void reset() const;
    long counter(const char *name) const;
    std::string folder_, config_;
    HMODULE module_ = nullptr;
};

// The test mail system's own registration as the prefix's default client: in full (Simple and
// Extended MAPI), for Simple MAPI only, or taken back with Wine's own client the default again.
enum class TestMailRegistration { Full, SimpleOnly, Removed };
HRESULT registerTestMail(TestMailRegistration registration);

// A change to the prefix lasts while a copy of it is held; the last copy runs its undo, which
// puts the prefix back as wine-session leaves it.
using PrefixChange = std::shared_ptr<void>;
inline PrefixChange undoing(std::function<void()> undo) { return PrefixChange(nullptr, [undo](void *) { undo(); }); }

// A setting of Wine's for `program` alone: under AppDefaults\PROGRAM, `key` ("" or "\\Sub").
PrefixChange wineSetting(const std::string &program, const std::string &key, const char *name, const char *value);

// A mail client of the test's, `name`, made the default under `root` by a value of `nameType`,
// with these values (of `valueType`) in a key of its own: no values, no key. Undone, its key and
// the default go and the test mail system registers itself again.
using ClientValues = std::vector<std::pair<const char *, std::string>>;
PrefixChange defaultClient(HKEY root, const char *name, const ClientValues &values, DWORD valueType = REG_SZ,
                           DWORD nameType = REG_SZ);
