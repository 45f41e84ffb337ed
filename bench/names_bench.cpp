// The recipient lists at 10 to 2,500 names: parsing typed text, joining it back and
// gathering the table, with the growth exponent of each (the slope of log time over log
// size: 1 is linear); and Check Names' reconcile up to 25,000 names, against what a user
// would feel as a wait.
#include <windows.h>

#include <string>
#include <vector>

#include "bench_table.h"
#include "export_job.h"
#include "gather_recipients.h"
#include "recipient.h"
#include "send_mail_dialog.h"

using namespace uxd;

namespace {

const std::vector<double> kSizes = {10, 100, 1000, 2500};
const std::vector<double> kReconcileSizes = {10, 100, 1000, 2500, 25000};

std::string typedNames(std::size_t count, bool reversed, const char *prefix) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t n = reversed ? count - 1 - i : i;
        text += (i ? "; " : "") + std::string(prefix) + std::to_string(100000 + n);
    }
    return text;
}

MAPIRecipient *parsed(MAPIDestination &job, const std::string &text) {
    MAPIRecipient *list = nullptr;
    parseRecipients(&job, text.c_str(), &list, MAPI_TO);
    return list;
}

// The time of `measure` at each size, in microseconds, and as the row shows them.
template <class Measure>
std::vector<double> timesAt(const std::vector<double> &sizes, const bench::Effort &effort, Measure &&measure,
                            std::string &shown) {
    std::vector<double> times;
    for (double n : sizes) {
        times.push_back(measure(std::size_t(n), effort));
        shown += (shown.empty() ? "" : ", ") + bench::format("%.0f", n) + ": " + bench::format("%.1f", times.back()) + " us";
    }
    return times;
}

// A row whose goal is its growth: the exponent at most 1.2.
template <class Measure>
void growthRow(bench::Table &table, const char *what, const bench::Effort &effort, Measure &&measure) {
    std::string shown;
    std::vector<double> times = timesAt(kSizes, effort, measure, shown);
    double exponent = bench::growthExponent(kSizes, times);
    table.row(what, shown, bench::format("exponent %.2f", exponent), "exponent <= 1.2", exponent <= 1.2);
}

// A row whose goal is the wait a user feels at Check Names: 2,500 names within 5 ms, 25,000
// within 60 ms (n log n leaves room for that; n squared would not). The exponent is shown.
template <class Measure>
void waitRow(bench::Table &table, const char *what, const bench::Effort &effort, Measure &&measure) {
    std::string shown;
    std::vector<double> times = timesAt(kReconcileSizes, effort, measure, shown);
    double exponent = bench::growthExponent(kReconcileSizes, times);
    bool met = times[3] <= 5000 && times[4] <= 60000;
    table.row(what, shown, bench::format("exponent %.2f", exponent), "2,500 names <= 5 ms, 25,000 names <= 60 ms", met);
}

// Check Names' reconcile of `count` names typed anew against a list of `count` known ones,
// timed alone: each round builds both lists first.
double reconcileTime(MAPIDestination &job, std::size_t count, const bench::Effort &effort, bool allNew) {
    std::vector<double> samples;
    for (int r = 0; r < effort.rounds; ++r) {
        MAPIRecipient *known = parsed(job, typedNames(count, false, "Name "));
        MAPIRecipient *typed = parsed(job, typedNames(count, true, allNew ? "Other " : "Name "));
        samples.push_back(bench::microsecondsPerCall([&] { reconcileRecipients(&job, &known, typed); }, 1));
        destroy(known);
    }
    return bench::summarise(samples).min;
}

}  // namespace

int main(int argc, char **argv) {
    bench::Effort effort = bench::effortFrom(argc, argv);
    UXDExportRecord record = {};
    record.structSize = 64, record.language = 0x0409;
    unique_job job(new MAPIDestination(nullptr, &record));
    if (!job || job->allocateTextBuffers() != UXD_SUCCESS) return 1;
    std::vector<char> buffer(64 * 1024);
    bench::Table table("Recipient lists (minimum of the rounds)");

    growthRow(table, "parse typed names", effort, [&](std::size_t n, const bench::Effort &e) {
        std::string text = typedNames(n, false, "Name ");
        return bench::alone(e, 5, [&] { destroy(parsed(*job, text)); }).min;
    });
    growthRow(table, "join a list into text", effort, [&](std::size_t n, const bench::Effort &e) {
        MAPIRecipient *list = parsed(*job, typedNames(n, false, "Name "));
        double t = bench::alone(e, 5, [&] { joinRecipients(job.get(), list, buffer.data(), buffer.size()); }).min;
        destroy(list);
        return t;
    });
    growthRow(table, "gather the table (not resolving)", effort, [&](std::size_t n, const bench::Effort &e) {
        job->toList.head = parsed(*job, typedNames(n, false, "Name "));
        double t = bench::alone(e, 5, [&] {
            uint32_t count = 0;
            MapiRecipDesc *rows = nullptr;
            gatherRecipients(job.get(), false, &count, &rows);
            release(rows);
        }).min;
        destroy(job->toList.head);
        job->toList.head = nullptr;
        return t;
    });
    waitRow(table, "reconcile, the names typed again in reverse order", effort,
            [&](std::size_t n, const bench::Effort &e) { return reconcileTime(*job, n, e, false); });
    waitRow(table, "reconcile, all names new", effort,
            [&](std::size_t n, const bench::Effort &e) { return reconcileTime(*job, n, e, true); });
    table.print();
    return 0;
}
