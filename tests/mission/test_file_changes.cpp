// Telling whether another program has changed a file since this one read or wrote it, also when
// that program puts the file's time back, makes the file again, or saves within the same second.
#include "file_calls.h"
#include "file_system.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

// Writes over the file's bytes without changing its length or inode.
void OverwriteInPlace(const std::filesystem::path& path, std::uint8_t value) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const std::vector<std::uint8_t> bytes(100, value);
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 1000), 100);
    ::close(fd);
}

// Gives the file the modification time it had before (touch -r).
void PutTimeBack(const std::filesystem::path& path, const struct stat& before) {
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct stat StatOf(const std::filesystem::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

// A file system whose times tell nothing, as one with one-second times does within a second.
void TimesTellNothing(struct stat* st) {
    st->st_mtim = {1000000000, 0};
    st->st_ctim = {1000000000, 0};
}

struct RestoreCalls {
    ~RestoreCalls() { files::CurrentFileCalls() = files::SystemFileCalls(); }
};

} // namespace

TEST(FileChanges, AnyChangeByAnotherProgramIsSeenAndNoneOfOurOwn) {
    TempDir dir;
    RestoreCalls restore;
    const auto path = dir / "watched.skm";
    const struct {
        const char* What;
        bool TimesTellNothing;
        std::function<void()> Change;
        bool Changed;
    } cases[] = {
        {"nothing", false, [] {}, false},
        {"bytes written, time put back", false,
         [&] {
             const struct stat before = StatOf(path);
             OverwriteInPlace(path, 0xAB);
             PutTimeBack(path, before);
         },
         true},
        {"removed and made again with the old time", false,
         [&] {
             const struct stat before = StatOf(path);
             auto bytes = ReadBytes(path);
             bytes[10] ^= 0xFF;
             std::filesystem::remove(path);
             WriteBytes(path, bytes);
             PutTimeBack(path, before);
         },
         true},
        {"nothing, where times tell nothing", true, [] {}, false},
        {"bytes written where times tell nothing", true, [&] { OverwriteInPlace(path, 0xCD); }, true},
        {"removed", false, [&] { std::filesystem::remove(path); }, true},
    };
    for (const bool opened : {true, false}) {
        for (const auto& c : cases) {
            files::CurrentFileCalls() = files::SystemFileCalls();
            WriteBytes(path, testsupport::RandomBytes(5192, 50));
            if (c.TimesTellNothing) {
                files::CurrentFileCalls().Stat = [](const char* name, struct stat* st) {
                    const int result = ::stat(name, st);
                    TimesTellNothing(st);
                    return result;
                };
                files::CurrentFileCalls().FStat = [](int fd, struct stat* st) {
                    const int result = ::fstat(fd, st);
                    TimesTellNothing(st);
                    return result;
                };
            }
            mission::TMission m;
            files::FileStamp stamp;
            // What this program last did with the file: opened it, or saved it (a rename changes the
            // file's change time, and that is no one else's change).
            if (opened)
                mission::LoadMission(m, path, &stamp);
            else
                stamp = mission::SaveMission(m, path);
            c.Change();
            EXPECT_EQ(files::ChangedSince(path, stamp), c.Changed) << c.What << (opened ? ", opened" : ", saved");
        }
    }
}
