// What a save does besides writing its bytes: the group and set-id bits the file keeps, and which
// files of the folder a save may clear away (its own kind of temporary, once it is surely dead).
#include "file_calls.h"
#include "save_load_errors.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::FilesIn;
using testsupport::ReadBytes;
using testsupport::RunInChild;
using testsupport::SaveError;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

struct stat StatOf(const std::filesystem::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

// Puts the calls back as the system has them when the test ends.
struct RestoreCalls {
    ~RestoreCalls() { files::CurrentFileCalls() = files::SystemFileCalls(); }
};

} // namespace

TEST(SaveMetadata, ASetGroupIdFolderDoesNotChangeTheFilesGroup) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a folder a group the user is not in needs root";
    TempDir dir;
    const auto folder = dir / "shared";
    std::filesystem::create_directory(folder);
    // New files in the folder take its group, 2000; the file is the saver's, in the saver's group.
    ASSERT_EQ(::chown(folder.c_str(), 0, 2000), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 02770), 0);
    WriteBytes(folder / "mine.skm", testsupport::RandomBytes(5192, 40));
    ASSERT_EQ(::chown((folder / "mine.skm").c_str(), 0, ::getegid()), 0);
    ASSERT_EQ(::chmod((folder / "mine.skm").c_str(), 0640), 0);

    EXPECT_EQ(SaveError(folder / "mine.skm"), "no error");
    const struct stat st = StatOf(folder / "mine.skm");
    EXPECT_EQ(st.st_gid, ::getegid()) << "the group decides who may read the file";
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_NE(ReadBytes(folder / "mine.skm"), testsupport::RandomBytes(5192, 40));
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"mine.skm"});
}

TEST(SaveMetadata, SetIdBitsSurviveTheirOwnersSave) {
    // The kernel clears set-id bits when a user without root's privileges writes the file: as
    // nobody, both through a new file and in place (a file with a second name).
    TempDir dir;
    const auto folder = dir / "own";
    std::filesystem::create_directory(folder);
    const uid_t user = ::geteuid() == 0 ? testsupport::kUnprivilegedUser : ::geteuid();
    const gid_t group = ::geteuid() == 0 ? testsupport::kUnprivilegedUser : ::getegid();
    ASSERT_EQ(::chown(folder.c_str(), user, group), 0);
    for (const bool secondName : {false, true}) {
        for (const mode_t mode : {mode_t{04755}, mode_t{02755}, mode_t{06750}}) {
            const auto path = folder / "setid.skm";
            WriteBytes(path, testsupport::RandomBytes(5192, 41));
            ASSERT_EQ(::chown(path.c_str(), user, group), 0);
            ASSERT_EQ(::chmod(path.c_str(), mode), 0);
            if (secondName)
                std::filesystem::create_hard_link(path, folder / "other.skm");
            const std::string result = RunInChild([&] {
                if (::geteuid() == 0 && (::setgid(group) != 0 || ::setuid(user) != 0))
                    return std::string("cannot drop privileges");
                return SaveError(path);
            });
            char octal[8];
            std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode));
            const std::string what = (secondName ? "in place, mode " : "new file, mode ") + std::string(octal);
            EXPECT_EQ(result, "no error") << what;
            EXPECT_EQ(StatOf(path).st_mode & 07777, mode) << what;
            EXPECT_NE(ReadBytes(path), testsupport::RandomBytes(5192, 41)) << what;
            std::filesystem::remove(folder / "other.skm");
        }
    }
}

TEST(SaveMetadata, OnlyASavesOwnTemporariesAreCleared_AndOnlyOnceTheyAreOld) {
    TempDir dir;
    RestoreCalls restore;
    const std::vector<std::uint8_t> temporaryBytes = testsupport::RandomBytes(5192, 42);
    const struct {
        std::string Name;
        std::size_t Size;
        bool Cleared; // once old
    } files[] = {
        // The user's own files, whatever their names begin with.
        {".quarnel-notes.txt", 100, false},
        {".quarnel-backup.skm", 5192, false},
        {".quarnel-1234-abcdEFGH.orig", 5192, false},
        {".quarnel-1234-abcdEFG", 5192, false},
        {".quarnel-1234-abcd.FGH", 5192, false},
        {".quarnel-12a4-abcdEFGH", 5192, false},
        {".quarnel-abcdEFGHI", 5192, false},
        // What killed saves left: this version's names and the earlier form.
        {".quarnel-1235-abcdEFG9", 5192, true},
        {".quarnel-9876543210-Zz09aAbB", 100, true},
        {".quarnel-abcdEFG9", 5192, true},
    };
    for (const auto& file : files)
        WriteBytes(dir / file.Name, std::vector<std::uint8_t>(temporaryBytes.begin(),
                                                              temporaryBytes.begin() + static_cast<long>(file.Size)));
    // The saves that made them are nowhere to be seen: in another process namespace, or gone.
    files::CurrentFileCalls().Kill = [](pid_t, int) {
        errno = ESRCH;
        return -1;
    };

    // Just made, none is cleared: a save in another namespace may be between making its temporary
    // and locking it.
    EXPECT_EQ(SaveError(dir / "a.skm"), "no error");
    for (const auto& file : files)
        EXPECT_TRUE(std::filesystem::exists(dir / file.Name)) << file.Name << " is young";

    // An hour later the leftovers go, and only they.
    files::CurrentFileCalls().ClockGetTime = [](clockid_t clock, struct timespec* now) {
        const int result = ::clock_gettime(clock, now);
        now->tv_sec += 3600;
        return result;
    };
    EXPECT_EQ(SaveError(dir / "a.skm"), "no error");
    for (const auto& file : files)
        EXPECT_EQ(std::filesystem::exists(dir / file.Name), !file.Cleared) << file.Name;
    EXPECT_EQ(ReadBytes(dir / ".quarnel-notes.txt").size(), 100u);
}
