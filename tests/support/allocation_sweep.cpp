// The allocation sweep and the table of degradations it allows; see allocation_sweep.h.
#include "allocation_sweep.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "allocation.h"

namespace {
const struct { Degradation what; const char *name, *reason; } kPermitted[] = {
    {Degradation::AttachmentUnnamed, "attachment name",
     "an attachment whose name cannot be made goes without one; the mail client names it after its file"},
    {Degradation::SpareErrorText, "spare error text", "setError cannot copy its text: the job's spare buffer keeps it whole"},
    {Degradation::DecodedStringMissing, "decoded string",
     "a string copy of a decoded record fails: that field is null, the job itself is unchanged"},
    {Degradation::AddressBookCopyFailed, "address book E_FAIL",
     "the address book's answer cannot be copied: E_FAIL, reported as -1 with its text; nothing is sent"},
    {Degradation::DialogCommandFailed, "dialog command",
     "a dialog command runs out of memory: it changes nothing and the dialog stays open for the user to go on"},
};

std::string describe(const SweepOutcome &outcome) {
    std::string text = "code " + std::to_string(outcome.code);
    for (Degradation d : outcome.seen)
        for (const auto &row : kPermitted) text += row.what == d ? std::string("; ") + row.reason : "";
    for (const std::string &w : outcome.wrong) text += "; WRONG: " + w;
    return text;
}
}  // namespace

void SweepRun::arm() {
    armed_ = true;
    uxd::allocation_fault::failAt(failing_);  // 0 only counts
}

void SweepRun::disarm() {
    if (!armed_) return;
    attempts_ = uxd::allocation_fault::attempts();
    uxd::allocation_fault::reset();
    armed_ = false;
}

unsigned long sweepAllocations(const std::string &path, const std::set<Degradation> &permitted,
                               const std::function<SweepOutcome(SweepRun &)> &scenario, UXDResult cleanCode) {
    struct { unsigned long swept = 0, outOfMemory = 0, degraded = 0, unexpected = 0; } counts;
    std::map<Degradation, unsigned long> byKind;  // runs that showed each degradation
    const long blocks = uxd::allocation_fault::outstanding();
    const bool verbose = std::getenv("UXD_SWEEP_VERBOSE") != nullptr;  // every run, while one is studied
    auto once = [&](unsigned long failing, unsigned long &attempts) {
        if (verbose) std::printf("[%lu ms] ", (unsigned long)GetTickCount()), std::fflush(stdout);
        SweepRun run(failing);
        uxd::allocation_fault::watchReleasesFor(kSweptPassword);
        SweepOutcome outcome = scenario(run);
        run.disarm();
        outcome.expect(uxd::allocation_fault::releasesHoldingMarker() == 0, "a released block held the password");
        uxd::allocation_fault::watchReleasesFor(nullptr);
        attempts = run.attempts();
        long left = uxd::allocation_fault::outstanding() - blocks;
        outcome.expect(left == 0, std::to_string(left) + " module blocks left");
        return outcome;
    };
    unsigned long allocations = 0;
    SweepOutcome clean = once(0, allocations);
    EXPECT_TRUE(clean.code == cleanCode && clean.seen.empty() && clean.wrong.empty())
        << path << ", clean run: expected code " << cleanCode << " and nothing else, got " << describe(clean);
    EXPECT_GT(allocations, 0u) << path << ": a clean run allocates";
    if (verbose) std::printf("%s, clean: %lu allocations, %s\n", path.c_str(), allocations, describe(clean).c_str());
    for (unsigned long n = 1; n <= allocations; ++n) {
        unsigned long attempts = 0;
        SweepOutcome outcome = once(n, attempts);
        if (verbose) std::printf("%s, allocation %lu: %s\n", path.c_str(), n, describe(outcome).c_str()), std::fflush(stdout);
        ++counts.swept;
        bool allowed = true;
        for (Degradation d : outcome.seen) allowed = allowed && permitted.count(d);
        if (outcome.wrong.empty() && outcome.seen.empty() && outcome.code == UXD_E_OUT_OF_MEMORY) {
            ++counts.outOfMemory;
        } else if (outcome.wrong.empty() && !outcome.seen.empty() && allowed) {
            ++counts.degraded;
            for (Degradation d : outcome.seen) ++byKind[d];
        } else {
            ++counts.unexpected;
            ADD_FAILURE() << path << ", allocation " << n << " of " << allocations << " fails: expected code 2 or a "
                          << "permitted degradation, got " << describe(outcome);
        }
    }
    std::string kinds;
    for (const auto &kind : byKind)
        for (const auto &row : kPermitted)
            if (row.what == kind.first) kinds += (kinds.empty() ? " (" : ", ") + std::string(row.name) + " " +
                                                 std::to_string(kind.second);
    std::printf("sweep %-40s %3lu allocations: %3lu gave 2, %3lu degraded%s, %lu unexpected\n", path.c_str(),
                counts.swept, counts.outOfMemory, counts.degraded, kinds.empty() ? "" : (kinds + ")").c_str(),
                counts.unexpected);
    return counts.unexpected;
}
