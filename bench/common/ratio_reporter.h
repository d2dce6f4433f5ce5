// Console output plus, at the end, benchmarks' times as multiples of their floors' times
// measured in the same run. Names are the benchmark functions' names.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Every other benchmark against one floor.
    explicit RatioReporter(std::string floor) : common_floor_(std::move(floor)) {}
    // Each benchmark against its own floor: {benchmark, floor} pairs.
    explicit RatioReporter(std::map<std::string, std::string> floors) : floors_(std::move(floors)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) times_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [name, time] : times_) {
            std::string floor = floorOf(name);
            auto measured_floor = times_.find(floor);
            if (floor.empty() || measured_floor == times_.end() || measured_floor->second <= 0) continue;
            printf("%s / %s = %.2f\n", name.c_str(), floor.c_str(), time / measured_floor->second);
        }
    }

private:
    std::string floorOf(const std::string& name) const {
        if (!common_floor_.empty()) return name == common_floor_ ? std::string() : common_floor_;
        auto it = floors_.find(name);
        return it == floors_.end() ? std::string() : it->second;
    }

    std::string common_floor_;
    std::map<std::string, std::string> floors_;
    std::map<std::string, double> times_;
};
