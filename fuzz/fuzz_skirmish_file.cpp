// libFuzzer target: any bytes, read as a skirmish file and written back, must come out as the file
// image they stand for: the first 5192 bytes unchanged, a short file padded with zeros.
#include "mission_model.h"
#include "skirmish_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <span>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using mission::kSkirmishFileSize;

// The file each input goes through; saving it as "fuzz.skm" stores the name "fuzz".
fs::path folder;
fs::path missionFile;
constexpr char kStem[] = "fuzz";

// One document for every input, so that a load which leaves a field as the previous input set
// it shows up as a difference.
mission::TMission document;

void RemoveFolder() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

// A failure aborts, which libFuzzer reports with the input that caused it.
void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_skirmish_file: %s\n", what);
        RemoveFolder();
        std::abort();
    }
}

// A save flushes the file to disk; in memory (/dev/shm) that costs nothing, on a disk it would
// slow every run down to the disk's pace.
fs::path ScratchParent() {
    const fs::path shm = "/dev/shm";
    struct stat st {};
    if (::stat(shm.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(shm.c_str(), W_OK | X_OK) == 0)
        return shm;
    return fs::temp_directory_path();
}

void WriteInput(const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(missionFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Require(fd >= 0, "cannot create the input file");
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        Require(written > 0, "cannot write the input file");
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    Require(::close(fd) == 0, "cannot close the input file");
}

// Reads one byte more than a skirmish file holds, so that a file grown too long is seen.
std::size_t ReadSaved(std::uint8_t (&buffer)[kSkirmishFileSize + 1]) {
    const int fd = ::open(missionFile.c_str(), O_RDONLY | O_CLOEXEC);
    Require(fd >= 0, "cannot open the saved file");
    std::size_t total = 0;
    while (total < sizeof buffer) {
        const ssize_t count = ::read(fd, buffer + total, sizeof buffer - total);
        Require(count >= 0, "cannot read the saved file");
        if (count == 0)
            break;
        total += static_cast<std::size_t>(count);
    }
    ::close(fd);
    return total;
}

// The image that the input stands for: its first 5192 bytes, zeros after a short one.
mission::TSkirmishImage ImageOf(const std::uint8_t* data, std::size_t size) {
    mission::TSkirmishImage image{};
    std::copy_n(data, std::min(size, image.size()), image.begin());
    return image;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (ScratchParent() / "quarnel-fuzz-XXXXXX").string();
    Require(::mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
    folder = pattern;
    missionFile = folder / (std::string(kStem) + ".skm");
    std::atexit(RemoveFolder);
    mission::NewMission(document);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Whole-block comparisons: a loop of byte compares would be traced one by one by the fuzzer
    // and cost more than the code under test.
    const mission::TSkirmishImage expected = ImageOf(data, size);

    // In memory: decoding and encoding give back exactly the image, mission name included.
    mission::DecodeMission(document, std::span(data, size));
    Require(mission::EncodeMission(document) == expected, "encoded image differs from the input");

    // Through a real file: load, save over it, read it back. Only the mission name changes, to
    // the file name less its extension.
    WriteInput(data, size);
    try {
        mission::LoadMission(document, missionFile);
        mission::SaveMission(document, missionFile);
    } catch (const text::EUserError& error) {
        std::fprintf(stderr, "fuzz_skirmish_file: %s\n", error.what());
        Require(false, "loading or saving the file failed");
    }
    std::uint8_t saved[kSkirmishFileSize + 1];
    Require(ReadSaved(saved) == kSkirmishFileSize, "saved file is not 5192 bytes long");

    const std::size_t stemLength = std::strlen(kStem);
    Require(std::memcmp(saved, kStem, stemLength) == 0, "saved mission name is not the file's stem");
    Require(std::all_of(saved + stemLength, saved + mission::kMissionNameSize,
                        [](std::uint8_t b) { return b == 0; }),
            "saved mission name is not zero-padded");
    const std::size_t rest = kSkirmishFileSize - mission::kMissionNameSize;
    Require(std::memcmp(saved + mission::kMissionNameSize, expected.data() + mission::kMissionNameSize,
                        rest) == 0,
            "saved file differs from the input");
    return 0;
}
