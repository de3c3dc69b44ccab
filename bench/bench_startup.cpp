// Start-up of the editor beside a bare window of the same size with one label, both built with the
// same flags (startup_editor and startup_bare beside this program), on a real X server: Xvfb does.
//
//   xvfb-run -a -s "-screen 0 1024x768x24" build/release/bench/bench_startup
//
// Each run starts a fresh process, which reports the CPU time of all its threads when its window
// is mapped and when its first frame is painted; the peak memory comes from the finished process.
// The two programs start in turn, the first of each pair alternating, and every pair gives one
// ratio; the medians of those ratios are printed at the end beside their goals.
//
// To weigh one build of the editor against another, name the pair (a name without a slash is a
// program beside this one), and give the second one extra environment where it needs some:
//
//   bench_startup --editor=/path/to/startup_editor --against=startup_editor --against-env=NAME=value
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::filesystem::path folder; // where this program and the two it starts are
std::string editorProgram = "startup_editor", againstProgram = "startup_bare";
std::vector<std::string> againstEnvironment; // NAME=value, added for the second program only

struct TRun {
    double mapCpu = 0, paintCpu = 0, paintWall = 0; // milliseconds
    double peakKb = 0;
};

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "bench_startup: %s\n", what.c_str());
    std::exit(1);
}

double Milliseconds(long long nanoseconds) {
    return static_cast<double>(nanoseconds) / 1e6;
}

TRun Start(const std::string& program, const std::vector<std::string>& extraEnvironment = {}) {
    const std::string path = program.find('/') == std::string::npos ? (folder / program).string() : program;
    std::vector<char*> environment;
    for (const std::string& setting : extraEnvironment)
        environment.push_back(const_cast<char*>(setting.c_str()));
    for (char** setting = environ; *setting; ++setting)
        environment.push_back(*setting);
    environment.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0)
        Fail("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const char* args[] = {path.c_str(), nullptr};
    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid = 0;
    if (posix_spawn(&pid, path.c_str(), &actions, nullptr, const_cast<char**>(args), environment.data()) != 0)
        Fail("cannot start " + path);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    long long mapCpu = 0, mapWall = 0, paintCpu = 0, paintWall = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(text.c_str(), "%lld %lld %lld %lld", &mapCpu, &mapWall, &paintCpu, &paintWall) != 4)
        Fail(program + " did not report its start");
    const long long started = static_cast<long long>(start.tv_sec) * 1'000'000'000 + start.tv_nsec;
    return {Milliseconds(mapCpu), Milliseconds(paintCpu), Milliseconds(paintWall - started),
            static_cast<double>(usage.ru_maxrss)};
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

struct TRatio {
    const char* label;
    double goal;
    double TRun::*field;
    double editor = 0, bare = 0, ratio = 0;
};

TRatio ratios[] = {
    {"CPU to the mapped window", 1.25, &TRun::mapCpu},
    {"CPU to the first frame", 1.25, &TRun::paintCpu},
    {"peak memory (kB)", 1.15, &TRun::peakKb},
};

void BM_Startup(benchmark::State& state) {
    for (int warm = 0; warm < 2; ++warm) { // fills the page cache; not counted
        Start(againstProgram, againstEnvironment);
        Start(editorProgram);
    }
    std::vector<TRun> editor, bare;
    bool editorFirst = false;
    for (auto _ : state) {
        if (editorFirst)
            editor.push_back(Start(editorProgram));
        bare.push_back(Start(againstProgram, againstEnvironment));
        if (!editorFirst)
            editor.push_back(Start(editorProgram));
        editorFirst = !editorFirst;
    }
    for (TRatio& r : ratios) {
        std::vector<double> e, b, paired;
        for (std::size_t i = 0; i < editor.size(); ++i) {
            e.push_back(editor[i].*r.field);
            b.push_back(bare[i].*r.field);
            paired.push_back(e.back() / b.back());
        }
        r.editor = Median(e);
        r.bare = Median(b);
        r.ratio = Median(paired);
    }
    state.counters["map_cpu_ratio"] = ratios[0].ratio;
    state.counters["paint_cpu_ratio"] = ratios[1].ratio;
    state.counters["memory_ratio"] = ratios[2].ratio;
    std::vector<double> e, b;
    for (std::size_t i = 0; i < editor.size(); ++i) {
        e.push_back(editor[i].paintWall);
        b.push_back(bare[i].paintWall);
    }
    state.counters["editor_frame_wall_ms"] = Median(e);
    state.counters["bare_frame_wall_ms"] = Median(b);
}

} // namespace

BENCHMARK(BM_Startup)->Iterations(41)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--editor=", 0) == 0)
            editorProgram = arg.substr(9);
        else if (arg.rfind("--against=", 0) == 0)
            againstProgram = arg.substr(10);
        else if (arg.rfind("--against-env=", 0) == 0 && arg.find('=', 14) != std::string::npos)
            againstEnvironment.push_back(arg.substr(14));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY"))
        Fail("needs an X server; without a display, run it on Xvfb:\n"
             "    xvfb-run -a -s \"-screen 0 1024x768x24\" " +
             std::string(argv[0]));
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    // Both programs meet the same session bus: where no address is given, neither looks for one
    // (the editor would not start one, and the bare window must not start one on its first run).
    if (const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS"); !bus || !*bus)
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    folder = std::filesystem::canonical("/proc/self/exe").parent_path();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nMedians of %s, each ratio the median of the paired ratios:\n", "41 runs each");
    if (editorProgram != "startup_editor" || againstProgram != "startup_bare" ||
        !againstEnvironment.empty()) {
        std::printf("(%s against %s", editorProgram.c_str(), againstProgram.c_str());
        for (const std::string& setting : againstEnvironment)
            std::printf(" %s", setting.c_str());
        std::printf(")\n");
    }
    for (const TRatio& r : ratios)
        std::printf("%-26s editor %9.2f, against %9.2f: ratio %.3f, goal %.2f %s\n", r.label, r.editor,
                    r.bare, r.ratio, r.goal, r.ratio <= r.goal ? "met" : "MISSED");
    return 0;
}
