// Failures of loading and saving, each produced for real, and the promise that a failed save
// leaves the previous file exactly as it was.
#include "failing_file_calls.h"
#include "file_system.h"
#include "save_load_errors.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace mission;
using testsupport::FilesIn;
using testsupport::LoadError;
using testsupport::ReadBytes;
using testsupport::RunInChild;
using testsupport::SaveError;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

// Makes the rest of the child run as nobody. An ordinary user has no privileges to drop: as
// that user the child meets the same refusals.
void DropPrivileges() {
    if (::geteuid() != 0)
        return;
    if (::setgid(testsupport::kUnprivilegedUser) != 0 || ::setuid(testsupport::kUnprivilegedUser) != 0)
        ::_exit(3);
}

} // namespace

TEST(FileErrors, MissingFileAndFolder) {
    TempDir dir;
    EXPECT_EQ(LoadError(dir / "absent.skm"), "File not found");
    EXPECT_EQ(LoadError(dir / "no-folder/absent.skm"), "Invalid filename");
    EXPECT_EQ(SaveError(dir / "no-folder/new.skm"), "Invalid filename");
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{});
}

TEST(FileErrors, OtherFailuresCarryTheSystemNumber) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.skm");
    EXPECT_EQ(LoadError(dir / "folder.skm"), "I/O error " + std::to_string(EISDIR));
    EXPECT_EQ(SaveError(dir / "folder.skm"), "I/O error " + std::to_string(EISDIR));
}

TEST(FileErrors, ReadOnlyFileOpensButIsNotSavedOver) {
    TempDir dir;
    const auto original = testsupport::RandomBytes(5192, 3);
    WriteBytes(dir / "locked.skm", original);
    ::chmod((dir / "locked.skm").c_str(), 0444);
    const std::string result = RunInChild([&] {
        DropPrivileges();
        return LoadError(dir / "locked.skm") + "|" + SaveError(dir / "locked.skm");
    });
    EXPECT_EQ(result, "no error|File access denied");
    EXPECT_EQ(ReadBytes(dir / "locked.skm"), original);
}

TEST(FileErrors, WritableFileInAFolderWithoutWriteAccessIsSavedInPlace) {
    TempDir dir;
    std::filesystem::create_directory(dir / "sealed");
    const auto original = testsupport::RandomBytes(5192, 7);
    const auto small = testsupport::RandomBytes(100, 8);
    WriteBytes(dir / "sealed/open.skm", original);
    WriteBytes(dir / "sealed/small.skm", small);
    ::chmod((dir / "sealed/open.skm").c_str(), 0666);
    ::chmod((dir / "sealed/small.skm").c_str(), 0666);
    ::chmod((dir / "sealed").c_str(), 0555);
    const std::string result = RunInChild([&] {
        DropPrivileges();
        std::string saved = SaveError(dir / "sealed/open.skm");
        // A save cut short by a full disk puts the old bytes back.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return saved + "|" + SaveError(dir / "sealed/small.skm");
    });
    EXPECT_EQ(result, "no error|I/O error " + std::to_string(EFBIG));
    TMission m;
    NewMission(m);
    m.Header.MissionName = MissionNameFromPath("open.skm");
    const auto expected = EncodeMission(m);
    EXPECT_EQ(ReadBytes(dir / "sealed/open.skm"),
              std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(ReadBytes(dir / "sealed/small.skm"), small);
    EXPECT_EQ(FilesIn(dir / "sealed"), (std::vector<std::string>{"open.skm", "small.skm"}));
}

TEST(FileErrors, OnlyRegularFilesAreReadOrReplacedAndNothingBlocks) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.skm").c_str(), 0666), 0);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir / "socket.skm").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    std::filesystem::create_symlink("pipe.skm", dir / "to-pipe.skm");
    std::filesystem::create_symlink("/dev/zero", dir / "to-zero.skm");

    const std::string result = RunInChild([&] {
        ::alarm(10); // a call that blocks ends the child, and the test with it
        std::string texts;
        for (const char* name : {"pipe.skm", "socket.skm", "to-pipe.skm", "to-zero.skm"})
            texts += LoadError(dir / name) + "|";
        for (const char* name : {"pipe.skm", "socket.skm", "to-pipe.skm"})
            texts += SaveError(dir / name) + "|";
        return texts + LoadError("/dev/zero");
    });
    ::close(listener);
    EXPECT_EQ(result, "File access denied|File access denied|File access denied|File access denied|"
                      "File access denied|File access denied|File access denied|File access denied");
    struct stat st {};
    ::lstat((dir / "pipe.skm").c_str(), &st);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ::lstat((dir / "socket.skm").c_str(), &st);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(FilesIn(dir.path()),
              (std::vector<std::string>{"pipe.skm", "socket.skm", "to-pipe.skm", "to-zero.skm"}));
}

TEST(FileErrors, FolderWithoutWriteAccessRefusesANewFile) {
    TempDir dir;
    std::filesystem::create_directory(dir / "sealed");
    ::chmod((dir / "sealed").c_str(), 0555);
    const std::string result = RunInChild([&] {
        DropPrivileges();
        return SaveError(dir / "sealed/new.skm");
    });
    EXPECT_EQ(result, "File access denied");
    EXPECT_EQ(FilesIn(dir / "sealed"), std::vector<std::string>{});
}

TEST(FileErrors, FullDiskReportsTheErrorAndKeepsTheOldFile) {
    TempDir dir;
    const auto original = testsupport::RandomBytes(5192, 4);
    WriteBytes(dir / "full.skm", original);
    const std::string result = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return SaveError(dir / "full.skm");
    });
    EXPECT_EQ(result, "I/O error " + std::to_string(EFBIG));
    EXPECT_EQ(ReadBytes(dir / "full.skm"), original);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"full.skm"});
}

TEST(FileErrors, EveryFailingStepOfASaveLeavesThePreviousFile) {
    TempDir dir;
    const auto original = testsupport::RandomBytes(5192, 5);
    WriteBytes(dir / "steps.skm", original);
    ::chmod((dir / "steps.skm").c_str(), 0640);

    // Both kinds of temporary: an unnamed one, and a named one where the file system has none.
    for (const bool unnamed : {true, false}) {
        files::testing::AllowUnnamedTemporaries(unnamed);
        files::testing::FailNthOperation(0, 0);
        SaveError(dir / "steps.skm");
        const int operations = files::testing::OperationCount();
        WriteBytes(dir / "steps.skm", original);

        int failures = 0;
        for (int n = 1;; ++n) {
            files::testing::FailNthOperation(n, ENOSPC);
            const std::string error = SaveError(dir / "steps.skm");
            files::testing::FailNthOperation(0, 0);
            if (n > operations) {
                EXPECT_EQ(error, "no error");
                break;
            }
            ++failures;
            const std::string step = "operation " + std::to_string(n) + (unnamed ? " unnamed" : " named");
            EXPECT_EQ(error, "I/O error " + std::to_string(ENOSPC)) << step;
            EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"steps.skm"}) << step;
            if (n < operations) {
                EXPECT_EQ(ReadBytes(dir / "steps.skm"), original) << step;
            } else {
                // The last step flushes the folder, after the new file has taken the old one's name.
                EXPECT_NE(ReadBytes(dir / "steps.skm"), original) << "the folder flush comes last";
                WriteBytes(dir / "steps.skm", original);
            }
        }
        EXPECT_GE(failures, 7) << "open, mode, write, sync, close, rename and the folder flush can each fail";
    }
    files::testing::AllowUnnamedTemporaries(true);

    struct stat st {};
    ::stat((dir / "steps.skm").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "a save keeps the file's permission bits";
    EXPECT_NE(ReadBytes(dir / "steps.skm"), original);
}

TEST(FileErrors, EveryFailingStepOfALoadIsReported) {
    TempDir dir;
    WriteBytes(dir / "load.skm", testsupport::RandomBytes(5192, 6));
    for (int n = 1; n <= 2; ++n) {
        files::testing::FailNthOperation(n, EMFILE);
        EXPECT_EQ(LoadError(dir / "load.skm"), "Too many open files") << n;
        files::testing::FailNthOperation(0, 0);
    }
}

TEST(FileErrors, SaveThroughASymbolicLinkReplacesItsTarget) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    WriteBytes(dir / "real/target.skm", std::vector<std::uint8_t>(10, 1));
    std::filesystem::create_symlink("real/target.skm", dir / "link.skm");
    TMission m;
    NewMission(m);
    SaveMission(m, dir / "link.skm");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.skm"));
    EXPECT_EQ(ReadBytes(dir / "real/target.skm").size(), 5192u);
    EXPECT_EQ(ReadBytes(dir / "real/target.skm")[0], 'l') << "the name comes from the path the user chose";
}

TEST(FileErrors, SaveThroughALinkWithALongTargetWritesThatTarget) {
    TempDir dir;
    // /proc/self/fd links report a size of 64 whatever the length of the path they lead to.
    const std::string name = std::string(150, 'n') + ".skm";
    WriteBytes(dir / name, std::vector<std::uint8_t>(10, 1));
    const int fd = ::open((dir / name).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::string error = SaveError("/proc/self/fd/" + std::to_string(fd));
    ::close(fd);
    EXPECT_EQ(error, "no error");
    EXPECT_EQ(ReadBytes(dir / name).size(), 5192u);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{name});
}

TEST(FileErrors, NamesUpToTheLongestTheSystemAllowsCanBeSaved) {
    TempDir dir;
    const std::string name = std::string(251, 'x') + ".skm";
    for (const bool unnamedTemporaries : {true, false}) {
        files::testing::AllowUnnamedTemporaries(unnamedTemporaries);
        WriteBytes(dir / name, testsupport::RandomBytes(5192, 9));
        EXPECT_EQ(LoadError(dir / name), "no error");
        EXPECT_EQ(SaveError(dir / name), "no error") << unnamedTemporaries;
        EXPECT_EQ(SaveError(dir / ("new" + name.substr(3))), "no error") << unnamedTemporaries;
        EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"new" + name.substr(3), name}));
        std::filesystem::remove(dir / ("new" + name.substr(3)));
    }
    files::testing::AllowUnnamedTemporaries(true);
}

TEST(FileErrors, ASaveKilledWhileWritingLeavesNoFileBehind) {
    TempDir dir;
    const auto original = testsupport::RandomBytes(5192, 10);
    WriteBytes(dir / "killed.skm", original);
    const std::string result = RunInChild([&] {
        // Writing past the size limit kills the process, as kill -9 would in the middle of a save.
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return SaveError(dir / "killed.skm");
    });
    EXPECT_EQ(result, "crashed");
    EXPECT_EQ(ReadBytes(dir / "killed.skm"), original);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"killed.skm"});
}

TEST(FileErrors, NewFilesFollowTheUmask) {
    TempDir dir;
    const std::string result = RunInChild([&] {
        ::umask(027);
        SaveError(dir / "fresh.skm");
        struct stat st {};
        ::stat((dir / "fresh.skm").c_str(), &st);
        return std::to_string(st.st_mode & 0777);
    });
    EXPECT_EQ(result, std::to_string(0640));
}
