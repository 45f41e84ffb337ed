// The recipient lists at 10 to 2,500 names: parsing typed text, joining it back, gathering
// the table and Check Names' reconcile, with the growth exponent of each (the slope of
// log time over log size: 1 is linear).
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

const double kSizes[] = {10, 100, 1000, 2500};

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

// One row per operation: its time at each size and the growth exponent.
template <class Measure>
void growthRow(bench::Table &table, const char *what, const bench::Effort &effort, Measure &&measure,
               double lastGoalMicroseconds = 0) {
    std::vector<double> sizes, times;
    std::string shown;
    for (double n : kSizes) {
        sizes.push_back(n);
        times.push_back(measure(std::size_t(n), effort));
        shown += (shown.empty() ? "" : ", ") + bench::format("%.0f", n) + ": " + bench::format("%.1f", times.back()) + " us";
    }
    double exponent = bench::growthExponent(sizes, times);
    bool met = exponent <= 1.2 && (lastGoalMicroseconds == 0 || times.back() <= lastGoalMicroseconds);
    std::string goal = "exponent <= 1.2";
    if (lastGoalMicroseconds) goal += bench::format(", 2,500 names <= %.0f ms", lastGoalMicroseconds / 1000);
    table.row(what, shown, bench::format("exponent %.2f", exponent), goal, met);
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
    growthRow(table, "reconcile, the names typed again in reverse order", effort,
              [&](std::size_t n, const bench::Effort &e) { return reconcileTime(*job, n, e, false); }, 5000);
    growthRow(table, "reconcile, all names new", effort,
              [&](std::size_t n, const bench::Effort &e) { return reconcileTime(*job, n, e, true); }, 5000);
    table.print();
    return 0;
}
