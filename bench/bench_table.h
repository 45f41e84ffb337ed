// Side-by-side timing for the benchmarks: the measured code and its yardstick run in
// interleaved rounds, so the machine's noise falls on both alike; a row gives the minimum
// and the median of the rounds and their ratios, its goal and whether it is met. Nothing
// here asserts: `make test` runs every row once so that the programs cannot rot.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

// Rounds and calls per round: full for `make bench`, one each with --brief.
struct Effort {
    int rounds = 15;
    int scale = 1;  // multiplies each row's calls per round
    bool brief = false;
};

inline Effort effortFrom(int argc, char **argv) {
    Effort e;
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--brief")) e.brief = true, e.rounds = 1;
    if (const char *r = std::getenv("UXD_BENCH_ROUNDS"); r && !e.brief && std::atoi(r) > 0) e.rounds = std::atoi(r);
    return e;
}

struct Timing {
    double min = 0, median = 0;  // microseconds per call
};

inline Timing summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples.front(), samples[samples.size() / 2]};
}

template <class F>
double microsecondsPerCall(F &&f, int calls) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) f();
    std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
    return took.count() / calls;
}

struct Pair {
    Timing measured, yardstick;
    double minRatio() const { return measured.min / yardstick.min; }
    double medianRatio() const { return measured.median / yardstick.median; }
};

// Each round times `calls` of the measured code, then `calls` of the yardstick.
template <class A, class B>
Pair sideBySide(const Effort &effort, int calls, A &&measured, B &&yardstick) {
    std::vector<double> a, b;
    int n = effort.brief ? 1 : calls;
    for (int r = 0; r < effort.rounds; ++r) {
        a.push_back(microsecondsPerCall(measured, n));
        b.push_back(microsecondsPerCall(yardstick, n));
    }
    return {summarise(a), summarise(b)};
}

template <class A>
Timing alone(const Effort &effort, int calls, A &&measured) {
    std::vector<double> a;
    int n = effort.brief ? 1 : calls;
    for (int r = 0; r < effort.rounds; ++r) a.push_back(microsecondsPerCall(measured, n));
    return summarise(a);
}

// The slope of log(time) over log(size): 1 is linear, 2 quadratic.
inline double growthExponent(const std::vector<double> &sizes, const std::vector<double> &times) {
    double n = double(sizes.size()), sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        double x = std::log(sizes[i]), y = std::log(std::max(times[i], 1e-3));
        sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

inline std::string format(const char *pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

class Table {
public:
    explicit Table(std::string title) : title_(std::move(title)) {}
    void row(std::string what, std::string measured, std::string ratio, std::string goal, bool met) {
        rows_.push_back({std::move(what), std::move(measured), std::move(ratio), std::move(goal), met ? "yes" : "no"});
    }
    void ratioRow(const std::string &what, const Pair &p, double goal) {
        row(what, format("%.1f", p.measured.min) + " / " + format("%.1f", p.measured.median) + " us",
            format("%.2f", p.minRatio()) + "x / " + format("%.2f", p.medianRatio()) + "x", "<= " + format("%.1f", goal) + "x",
            p.minRatio() <= goal);
    }
    void print() const {
        std::printf("\n%s\n\n| row | min / median | ratio, min / median | goal | met |\n|---|---|---|---|---|\n",
                    title_.c_str());
        for (const auto &r : rows_)
            std::printf("| %s | %s | %s | %s | %s |\n", r[0].c_str(), r[1].c_str(), r[2].c_str(), r[3].c_str(),
                        r[4].c_str());
        std::fflush(stdout);
    }

private:
    std::string title_;
    std::vector<std::vector<std::string>> rows_;
};

}  // namespace bench
