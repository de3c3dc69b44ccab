// For benchmarks that time an operation in turn with its floor (the bare system calls or program
// that move the same bytes): each run sets the counters "time_us", "floor_us" and "ratio", its
// repetitions keep their smallest and largest, and the console table ends with one line per
// operation: the medians, the ratio's range, and whether its goal was met.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace ratio_report {

inline double Median(std::vector<double>& v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// The medians of one run's timings, as the counters the reporter reads.
inline void SetCounters(benchmark::State& state, std::vector<double>& times, std::vector<double>& floorTimes,
                        std::vector<double>& ratios) {
    state.counters["time_us"] = Median(times);
    state.counters["floor_us"] = Median(floorTimes);
    state.counters["ratio"] = Median(ratios);
}

// Wall time (the operations wait for the disk or for a child process), in repetitions whose
// smallest and largest are kept beside the median.
inline void Configure(benchmark::internal::Benchmark* b, int repetitions) {
    b->UseRealTime()
        ->Unit(benchmark::kMicrosecond)
        ->MinTime(0.5)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly()
        ->ComputeStatistics(
            "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ComputeStatistics(
            "max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

struct TLine {
    const char* label;
    const char* benchmark; // the benchmark's function name
    double goal;           // 0: none
};

class TReporter : public benchmark::ConsoleReporter {
public:
    // The library picks colours only for its own reporter; this one uses them on a terminal.
    TReporter(const char* floorName, std::vector<TLine> lines)
        : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular), floorName_(floorName),
          lines_(std::move(lines)) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports)
            if (run.run_type == Run::RT_Aggregate && !run.error_occurred)
                for (const auto& [name, counter] : run.counters)
                    results_[run.run_name.function_name][name][run.aggregate_name] = counter.value;
        ConsoleReporter::ReportRuns(reports);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const TLine& line : lines_)
            Print(line);
    }

private:
    void Print(const TLine& line) {
        const auto found = results_.find(line.benchmark);
        if (found == results_.end())
            return; // filtered out or failed
        auto& r = found->second;
        const double ratio = r["ratio"]["median"];
        char text[240];
        int used = std::snprintf(text, sizeof text, "%-20s %9.2f us, %s %9.2f us: ratio %.3f (%.3f to %.3f)",
                                 line.label, r["time_us"]["median"], floorName_, r["floor_us"]["median"],
                                 ratio, r["ratio"]["min"], r["ratio"]["max"]);
        used = std::max(0, std::min(used, static_cast<int>(sizeof text) - 1));
        if (line.goal > 0)
            std::snprintf(text + used, sizeof text - static_cast<std::size_t>(used), ", goal %.1f %s\n",
                          line.goal, ratio <= line.goal ? "met" : "MISSED");
        else
            std::snprintf(text + used, sizeof text - static_cast<std::size_t>(used), ", no goal\n");
        GetOutputStream() << text << std::flush;
    }

    const char* floorName_;
    std::vector<TLine> lines_;
    // benchmark, counter, statistic
    std::map<std::string, std::map<std::string, std::map<std::string, double>>> results_;
};

} // namespace ratio_report
