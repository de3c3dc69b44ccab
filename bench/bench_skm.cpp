// The whole process of `quarnel-skm export` on one mission, timed in turn with `od -An -tx1` on the
// same file (the floor for reading 5192 bytes and printing them), and the ratio of the two printed
// at the end; `quarnel-skm show` and `quarnel-skm import` are timed beside the same floor.
#include "mission_model.h"
#include "skirmish_file.h"

#include "ratio_report.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct BenchFolder {
    fs::path folder;
    std::string mission; // a mission with fields of every kind changed
    std::string json;    // its export, for import
    std::string target;  // replaced by each import
} bench;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "bench_skm: %s\n", what.c_str());
    std::exit(1);
}

// Starts the program with its output to /dev/null and waits for it; false unless it exits with 0.
bool RunProcess(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

std::string FindOd() {
    for (const char* candidate : {"/usr/bin/od", "/bin/od"})
        if (::access(candidate, X_OK) == 0)
            return candidate;
    Fail("od is not installed");
}

void PrepareFolder() {
    std::string pattern = (fs::temp_directory_path() / "quarnel-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        Fail("cannot make a folder in " + fs::temp_directory_path().string());
    bench.folder = pattern;
    bench.mission = (bench.folder / "Battle.skm").string();
    bench.json = (bench.folder / "Battle.json").string();
    bench.target = (bench.folder / "Imported.skm").string();
    mission::TMission m;
    mission::NewMission(m);
    m.Settings.TeamCount = 4;
    m.FlightGroups[3].CraftType = 17;
    m.FlightGroups[3].Body[11] = -123456;
    m.FlightGroups[5].CraftType = 240;
    mission::SaveMission(m, bench.mission);
    if (!RunProcess({QUARNEL_SKM_PROGRAM, "export", bench.mission, "-o", bench.json}))
        Fail("quarnel-skm export failed");
}

void RemoveFolder() {
    std::error_code ignored;
    fs::remove_all(bench.folder, ignored);
}

template <class Call> double Microseconds(Call&& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

// Each iteration starts the command and the floor back to back, taking turns at going first, so
// that both meet the same state of the machine. A repetition reports the median time of each
// (time_us, floor_us) and the median of the ratios of the pairs.
void Paired(benchmark::State& state, const std::vector<std::string>& command) {
    const std::vector<std::string> floor = {FindOd(), "-An", "-tx1", bench.mission};
    std::vector<double> commandTimes, floorTimes, ratios;
    bool failed = false;
    bool commandFirst = true;
    for (auto _ : state) {
        double commandTime = commandFirst ? Microseconds([&] { failed |= !RunProcess(command); }) : 0;
        const double floorTime = Microseconds([&] { failed |= !RunProcess(floor); });
        if (!commandFirst)
            commandTime = Microseconds([&] { failed |= !RunProcess(command); });
        commandFirst = !commandFirst;
        if (failed) {
            state.SkipWithError("a process failed");
            return;
        }
        commandTimes.push_back(commandTime);
        floorTimes.push_back(floorTime);
        ratios.push_back(commandTime / floorTime);
    }
    ratio_report::SetCounters(state, commandTimes, floorTimes, ratios);
}

void BM_Export(benchmark::State& state) {
    Paired(state, {QUARNEL_SKM_PROGRAM, "export", bench.mission});
}
void BM_Show(benchmark::State& state) {
    Paired(state, {QUARNEL_SKM_PROGRAM, "show", bench.mission});
}
// Import ends in the editor's safe save, which flushes the file and its folder to disk.
void BM_Import(benchmark::State& state) {
    Paired(state, {QUARNEL_SKM_PROGRAM, "import", bench.json, "-o", bench.target});
}

void Configure(benchmark::internal::Benchmark* b) {
    ratio_report::Configure(b, 9);
}

BENCHMARK(BM_Export)->Apply(Configure);
BENCHMARK(BM_Show)->Apply(Configure);
BENCHMARK(BM_Import)->Apply(Configure);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    PrepareFolder();
    ratio_report::TReporter reporter("od", {{"quarnel-skm export", "BM_Export", 1.5},
                                            {"quarnel-skm show", "BM_Show", 0},
                                            {"quarnel-skm import", "BM_Import", 0}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    RemoveFolder();
    return 0;
}
