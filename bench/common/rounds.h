// Runs a program's benchmarks in rounds: each round runs every benchmark once, in the order
// given (A B A B ...), so that a figure and its floor are measured under the same load. A
// floor measured once, at another moment than its figure, moves with the machine's load.
//
// Options (besides Google Benchmark's own, such as --benchmark_min_time):
//   --rounds=<n>           rounds to run (default 5)
//   --rounds_out=<file>    one line per run: <benchmark> <round> <real time ns> <items/s or 0>
// At the end each benchmark that has a floor is printed as the median of its per-round ratios
// with their lowest and highest.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace hu::bench {

struct RunTime {
    double real_ns;
    double items_per_second;
};

class RoundsReporter : public benchmark::ConsoleReporter {
public:
    bool ReportContext(const Context& context) override {
        if (context_shown_) return true;
        context_shown_ = true;
        return ConsoleReporter::ReportContext(context);
    }
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            if (run.error_occurred) {
                failed_ = true;
                continue;
            }
            double units_per_second = benchmark::GetTimeUnitMultiplier(run.time_unit);
            auto rate = run.counters.find("items_per_second");
            last_ = {run.GetAdjustedRealTime() / units_per_second * 1e9,
                     rate == run.counters.end() ? 0.0 : static_cast<double>(rate->second)};
            got_ = true;
        }
    }
    // The time of the run since the last call, if one succeeded.
    bool take(RunTime& time) {
        bool got = got_;
        got_ = false;
        time = last_;
        return got;
    }
    bool failed() const { return failed_; }

private:
    bool context_shown_ = false;
    bool got_ = false;
    bool failed_ = false;
    RunTime last_{};
};

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Returns the program's exit status: non-zero when a benchmark failed or did not run.
// floors: {benchmark, its floor}, both among names.
inline int runRounds(int argc, char** argv, const std::vector<std::string>& names,
                     const std::map<std::string, std::string>& floors = {}) {
    int rounds = 5;
    std::string out_path;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rounds=", 9) == 0) {
            rounds = std::max(1, std::atoi(argv[i] + 9));
        } else if (std::strncmp(argv[i], "--rounds_out=", 13) == 0) {
            out_path = argv[i] + 13;
        } else {
            rest.push_back(argv[i]);
        }
    }
    int rest_count = static_cast<int>(rest.size());
    benchmark::Initialize(&rest_count, rest.data());
    if (benchmark::ReportUnrecognizedArguments(rest_count, rest.data())) return 2;

    FILE* out = out_path.empty() ? nullptr : std::fopen(out_path.c_str(), "w");
    RoundsReporter reporter;
    std::map<std::string, std::vector<RunTime>> times;
    bool missing = false;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& name : names) {
            benchmark::RunSpecifiedBenchmarks(&reporter, "^" + name + "(/|$)");
            RunTime time;
            if (!reporter.take(time)) {
                missing = true;
                continue;
            }
            times[name].push_back(time);
            if (out) {
                std::fprintf(out, "%s %d %.3f %.3f\n", name.c_str(), round, time.real_ns, time.items_per_second);
                std::fflush(out);
            }
        }
    }
    if (out) std::fclose(out);
    benchmark::Shutdown();

    for (const auto& [name, floor] : floors) {
        const std::vector<RunTime>& a = times[name];
        const std::vector<RunTime>& b = times[floor];
        std::vector<double> ratios;
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
            if (b[i].real_ns > 0) ratios.push_back(a[i].real_ns / b[i].real_ns);
        }
        if (ratios.empty()) continue;
        std::printf("%s / %s = %.2f (%.2f-%.2f over %zu rounds)\n", name.c_str(), floor.c_str(), median(ratios),
                    *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
                    ratios.size());
    }
    return reporter.failed() || missing ? 1 : 0;
}

}  // namespace hu::bench
