// Console output plus, at the end, each benchmark's time as a multiple of the floor's.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::string floor) : floor_(std::move(floor)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        auto floor = times_.find(floor_);
        if (floor == times_.end() || floor->second <= 0) return;
        for (const auto& [name, time] : times_) {
            if (name != floor_) printf("%s / %s = %.2f\n", name.c_str(), floor_.c_str(), time / floor->second);
        }
    }

private:
    std::string floor_;
    std::map<std::string, double> times_;
};
