// Loading and saving a skirmish file, each timed in turn with the bare system calls that move the
// same bytes (its floor), and the ratio of the two printed at the end. A save of a file with an ACL
// and an extended attribute, which the save copies to the new file, is measured against the same
// floor for information.
#include "mission_model.h"
#include "skirmish_file.h"

#include "ratio_report.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <sys/acl.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using mission::kSkirmishFileSize;

// A folder of its own under the system's temporary folder (TMPDIR to measure another disk).
struct BenchFolder {
    fs::path folder;
    fs::path loadFile;    // read by LoadMission and by its floor
    fs::path saveTarget;  // replaced by SaveMission
    fs::path aclTarget;   // replaced by SaveMission, and has a named user in its ACL and a user.* attribute
    fs::path floorTarget; // replaced by the floor of the save
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
    bench.aclTarget = bench.folder / "Acl.skm";

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
    mission::SaveMission(bench.document, bench.aclTarget);
    acl_t acl = ::acl_from_text("u::rw-,u:1001:rw-,g::r--,m::rw-,o::---");
    if (acl == nullptr || ::acl_set_file(bench.aclTarget.c_str(), ACL_TYPE_ACCESS, acl) != 0)
        Fail("cannot give " + bench.aclTarget.string() + " an ACL");
    ::acl_free(acl);
    if (::setxattr(bench.aclTarget.c_str(), "user.quarnel.bench", "kept", 4, 0) != 0)
        Fail("cannot give " + bench.aclTarget.string() + " an extended attribute");
}

void RemoveFolder() {
    std::error_code ignored;
    fs::remove_all(bench.folder, ignored);
}

void LoadWithLibrary() {
    mission::LoadMission(bench.document, bench.loadFile);
    benchmark::DoNotOptimize(bench.document);
}

// open, read, close: what any reader of the file must at least do.
bool LoadFloor() {
    static std::uint8_t buffer[kSkirmishFileSize];
    const int fd = ::open(bench.loadFile.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t count = fd < 0 ? -1 : ::read(fd, buffer, sizeof buffer);
    benchmark::DoNotOptimize(buffer);
    return fd >= 0 && ::close(fd) == 0 && count == static_cast<ssize_t>(sizeof buffer);
}

void SaveWithLibrary() {
    mission::SaveMission(bench.document, bench.saveTarget);
}

void SaveWithAclAndAttribute() {
    mission::SaveMission(bench.document, bench.aclTarget);
}

// The folder's own flush after the rename, without which a power cut can lose both files.
bool SyncFolder() {
    const int fd = ::open(bench.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    return fd >= 0 && ::close(fd) == 0 && synced;
}

// write, fsync, rename, folder fsync: the least a save that cannot destroy the previous file
// must do.
bool SaveFloor() {
    const int fd = ::open(bench.floorTemporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const ssize_t count = fd < 0 ? -1 : ::write(fd, bench.image.data(), bench.image.size());
    const bool synced = count == static_cast<ssize_t>(bench.image.size()) && ::fsync(fd) == 0;
    return fd >= 0 && ::close(fd) == 0 && synced &&
           ::rename(bench.floorTemporary.c_str(), bench.floorTarget.c_str()) == 0 && SyncFolder();
}

template <class Call> double Microseconds(Call&& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

// Each iteration runs the library call and its floor back to back, taking turns at going first,
// so that both meet the same state of the disk and the machine: the time an fsync waits can
// jump tenfold while other programs write to the same disk. A repetition reports the median
// time of each (time_us, floor_us) and the median of the ratios of the pairs; the table's
// own time columns are for one pair with the bookkeeping around it.
template <class Operation, class Floor>
void Paired(benchmark::State& state, Operation operation, Floor floor) {
    std::vector<double> operationTimes;
    std::vector<double> floorTimes;
    std::vector<double> ratios;
    bool floorFailed = false;
    bool operationFirst = true;
    for (auto _ : state) {
        double operationTime = operationFirst ? Microseconds(operation) : 0;
        const double floorTime = Microseconds([&] { floorFailed |= !floor(); });
        if (!operationFirst)
            operationTime = Microseconds(operation);
        operationFirst = !operationFirst;
        if (floorFailed) {
            state.SkipWithError("the floor's system calls failed");
            return;
        }
        operationTimes.push_back(operationTime);
        floorTimes.push_back(floorTime);
        ratios.push_back(operationTime / floorTime);
    }
    ratio_report::SetCounters(state, operationTimes, floorTimes, ratios);
}

void BM_LoadMission(benchmark::State& state) {
    Paired(state, LoadWithLibrary, LoadFloor);
}

void BM_SaveMission(benchmark::State& state) {
    Paired(state, SaveWithLibrary, SaveFloor);
}

void BM_SaveMissionWithAcl(benchmark::State& state) {
    Paired(state, SaveWithAclAndAttribute, SaveFloor);
}

void Configure(benchmark::internal::Benchmark* b) {
    ratio_report::Configure(b, 15);
}

BENCHMARK(BM_LoadMission)->Apply(Configure);
BENCHMARK(BM_SaveMission)->Apply(Configure);
BENCHMARK(BM_SaveMissionWithAcl)->Apply(Configure);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        PrepareFolder();
    } catch (const text::EUserError& error) {
        std::fprintf(stderr, "bench_skirmish_file: cannot prepare the files: %s\n", error.what());
        RemoveFolder();
        return 1;
    }
    ratio_report::TReporter reporter("floor", {{"LoadMission", "BM_LoadMission", 1.5},
                                               {"SaveMission", "BM_SaveMission", 1.2},
                                               {"SaveWithAcl", "BM_SaveMissionWithAcl", 0}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    RemoveFolder();
    return 0;
}
