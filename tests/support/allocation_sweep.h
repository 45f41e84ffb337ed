// Fails each allocation of a whole entry-point path in turn, N = 1 ... the count of a clean
// run, and judges every run: code 2, or one of the degradations the design allows (one table,
// each with its reason); whatever the call returned, nothing of the module's is left, and when
// it returned 0 the mail that follows is the host's. One table-driven sweep per path.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "uxdmapi.h"

// What a run may do instead of giving 2, because the design lets it go on without the block.
enum class Degradation {
    AttachmentUnnamed,       // an attachment's display name
    SpareErrorText,          // setError's copy of its text
    DecodedStringMissing,    // a string of UXDDecodeDestinationOptions' record
    AddressBookCopyFailed,   // the address book's answer: E_FAIL
    DialogCommandFailed,     // a command inside the Send Mail dialog
};

// What one run of a path came to, as the scenario saw it.
struct SweepOutcome {
    UXDResult code = UXD_SUCCESS;
    std::set<Degradation> seen;
    std::vector<std::string> wrong;  // anything that must never happen: a misdelivery, a leak, ...
    void expect(bool ok, const std::string &what) {
        if (!ok) wrong.push_back(what);
    }
};

// Handed to the scenario: arm() right before the path's first call, disarm() right after its
// last, so that what the scenario does before and after (sending, reading back) runs whole.
class SweepRun {
public:
    explicit SweepRun(unsigned long failing) : failing_(failing) {}
    void arm();
    void disarm();
    unsigned long failing() const { return failing_; }  // 0: the clean run
    unsigned long attempts() const { return attempts_; }

private:
    unsigned long failing_, attempts_ = 0;
    bool armed_ = false;
};

// The password a scenario gives its options: no block the module releases may still hold it.
constexpr char kSweptPassword[] = "s3cret-Pw9";

// Runs `scenario` clean (it must give `cleanCode` and see nothing), then once for each of its
// allocations failing; checks that no module block is left after each run; reports every run
// that is neither 2 nor a degradation in `permitted`. Prints the counts; returns how many runs
// were neither.
unsigned long sweepAllocations(const std::string &path, const std::set<Degradation> &permitted,
                               const std::function<SweepOutcome(SweepRun &)> &scenario,
                               UXDResult cleanCode = UXD_SUCCESS);
