// A save flushes the whole new file to the disk before it takes the file's name, so that a power
// cut leaves either the old file or the complete new one. This program defines fsync itself (a
// definition in the program wins over the C library's for every caller in it), notes what each
// call flushes, and then flushes for real.
#include "save_load_errors.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct Flush {
    dev_t device;
    ino_t inode;
    off_t size;
    bool named; // the watched path already named this file when it was flushed
};

std::vector<Flush> flushes;
std::filesystem::path watched;

} // namespace

extern "C" int fsync(int fd) {
    struct stat flushed {};
    if (::fstat(fd, &flushed) == 0 && S_ISREG(flushed.st_mode)) {
        struct stat current {};
        const bool named = ::stat(watched.c_str(), &current) == 0 && current.st_dev == flushed.st_dev &&
                           current.st_ino == flushed.st_ino;
        flushes.push_back({flushed.st_dev, flushed.st_ino, flushed.st_size, named});
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

TEST(SafeSave, TheWholeNewFileIsFlushedBeforeItTakesTheName) {
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir / "old.skm", testsupport::RandomBytes(5192, 9));
    for (const char* name : {"new.skm", "old.skm"}) {
        watched = dir / name;
        flushes.clear();
        ASSERT_EQ(testsupport::SaveError(watched), "no error") << name;
        struct stat saved {};
        ASSERT_EQ(::stat(watched.c_str(), &saved), 0) << name;
        const bool flushedFirst = std::any_of(flushes.begin(), flushes.end(), [&](const Flush& flush) {
            return flush.device == saved.st_dev && flush.inode == saved.st_ino && flush.size == 5192 &&
                   !flush.named;
        });
        EXPECT_TRUE(flushedFirst) << name << ": " << flushes.size()
                                  << " flushes, none of the whole file before it had the name";
    }
}
