// Loading and saving a skirmish file, each beside the bare system calls that move the same bytes
// (the floor), with the median ratio of each pair printed at the end.
#include "mission_model.h"
#include "skirmish_file.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using mission::kSkirmishFileSize;

// A folder of its own under the system's temporary folder (TMPDIR to measure another disk).
struct BenchFolder {
    fs::path folder;
    fs::path loadFile;    // read by both load benchmarks
    fs::path saveTarget;  // replaced by SaveMission
    fs::path floorTarget; // replaced by the bare calls
    fs::path floorTemporary;
    mission::TMission document;
    mission::TSkirmishImage image{}; // exactly what SaveMission writes
} bench;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "bench_skirmish_file: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

void PrepareFolder() {
    std::string pattern = (fs::temp_directory_path() / "quarnel-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        Fail("cannot make a folder in " + fs::temp_directory_path().string());
    bench.folder = pattern;
    bench.loadFile = bench.folder / "Load.skm";
    bench.saveTarget = bench.folder / "Save.skm";
    bench.floorTarget = bench.folder / "Floor.skm";
    bench.floorTemporary = bench.folder / ".Floor.skm.tmp";

    // A new mission with some of every kind of field changed, saved once so that the name is
    // already the one each save writes and the floor moves the very same bytes.
    mission::NewMission(bench.document);
    bench.document.Settings.TeamCount = 4;
    bench.document.FlightGroups[3].CraftType = 17;
    bench.document.FlightGroups[3].Body[11] = -123456;
    mission::SaveMission(bench.document, bench.saveTarget);
    bench.image = mission::EncodeMission(bench.document);
    mission::SaveMission(bench.document, bench.loadFile);
    mission::SaveMission(bench.document, bench.floorTarget);
}

void RemoveFolder() {
    std::error_code ignored;
    fs::remove_all(bench.folder, ignored);
}

void BM_LoadMission(benchmark::State& state) {
    for (auto _ : state) {
        mission::LoadMission(bench.document, bench.loadFile);
        benchmark::DoNotOptimize(bench.document);
    }
}

// open, read, close: what any reader of the file must at least do.
void BM_LoadFloor(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(kSkirmishFileSize);
    for (auto _ : state) {
        const int fd = ::open(bench.loadFile.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t count = fd < 0 ? -1 : ::read(fd, buffer.data(), buffer.size());
        if (fd < 0 || ::close(fd) != 0 || count != static_cast<ssize_t>(buffer.size())) {
            state.SkipWithError("plain read failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
}

void BM_SaveMission(benchmark::State& state) {
    for (auto _ : state)
        mission::SaveMission(bench.document, bench.saveTarget);
}

// write, fsync, rename: the least a save that cannot destroy the previous file must do.
void BM_SaveFloor(benchmark::State& state) {
    for (auto _ : state) {
        const int fd = ::open(bench.floorTemporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const ssize_t count = fd < 0 ? -1 : ::write(fd, bench.image.data(), bench.image.size());
        const bool synced = count == static_cast<ssize_t>(bench.image.size()) && ::fsync(fd) == 0;
        if (fd < 0 || ::close(fd) != 0 || !synced ||
            ::rename(bench.floorTemporary.c_str(), bench.floorTarget.c_str()) != 0) {
            state.SkipWithError("plain save failed");
            break;
        }
    }
}

double Smallest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}
double Largest(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

// Every benchmark is repeated and reported by its median; the repetitions are interleaved at
// random with those of the other benchmarks, so a slow spell of the disk or a busy machine
// falls on a measurement and its floor alike.
void Configure(benchmark::internal::Benchmark* b) {
    b->UseRealTime() // a save spends its time waiting for the disk, not on the processor
        ->Unit(benchmark::kMicrosecond)
        ->MinTime(0.2)
        ->Repetitions(15)
        ->ReportAggregatesOnly()
        ->ComputeStatistics("min", Smallest)
        ->ComputeStatistics("max", Largest);
}

BENCHMARK(BM_LoadMission)->Apply(Configure);
BENCHMARK(BM_LoadFloor)->Apply(Configure);
BENCHMARK(BM_SaveMission)->Apply(Configure);
BENCHMARK(BM_SaveFloor)->Apply(Configure);

// The console table, followed by each operation's median over its floor's median.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports)
            if (run.run_type == Run::RT_Aggregate && !run.error_occurred)
                aggregates_[run.run_name.function_name][run.aggregate_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(reports);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        PrintRatio("LoadMission", "BM_LoadMission", "BM_LoadFloor", 1.5);
        PrintRatio("SaveMission", "BM_SaveMission", "BM_SaveFloor", 1.2);
    }

private:
    void PrintRatio(const char* label, const std::string& measured, const std::string& floor, double goal) {
        const auto m = aggregates_.find(measured);
        const auto f = aggregates_.find(floor);
        if (m == aggregates_.end() || f == aggregates_.end() || !m->second.contains("median") ||
            !f->second.contains("median") || f->second["median"] <= 0)
            return; // filtered out or failed
        auto& a = m->second;
        auto& b = f->second;
        const double ratio = a["median"] / b["median"];
        char line[200];
        std::snprintf(
            line, sizeof line,
            "%-12s median %9.2f us (%.2f to %.2f), floor %9.2f us (%.2f to %.2f): ratio %.3f, goal %.1f %s\n",
            label, a["median"], a["min"], a["max"], b["median"], b["min"], b["max"], ratio, goal,
            ratio <= goal ? "met" : "MISSED");
        GetOutputStream() << line << std::flush;
    }

    std::map<std::string, std::map<std::string, double>> aggregates_;
};

} // namespace

int main(int argc, char** argv) {
    // Interleaving is on unless the command line says otherwise (a later flag wins).
    std::vector<char*> args{argv[0], const_cast<char*>("--benchmark_enable_random_interleaving=true")};
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;

    try {
        PrepareFolder();
    } catch (const mission::EMissionError& error) {
        std::fprintf(stderr, "bench_skirmish_file: cannot prepare the files: %s\n", error.what());
        RemoveFolder();
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    RemoveFolder();
    return 0;
}
