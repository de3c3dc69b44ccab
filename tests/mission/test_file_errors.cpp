// Failures of loading and saving, each produced for real, and the promise that a failed save
// leaves the previous file exactly as it was.
#include "file_system.h"
#include "save_load_errors.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mission;
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

std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
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

TEST(FileErrors, ReadOnlyFileIsRefusedToAnUnprivilegedUser) {
    TempDir dir;
    const auto original = testsupport::RandomBytes(5192, 3);
    WriteBytes(dir / "locked.skm", original);
    ::chmod((dir / "locked.skm").c_str(), 0444);
    const std::string result = RunInChild([&] {
        DropPrivileges();
        return LoadError(dir / "locked.skm") + "|" + SaveError(dir / "locked.skm");
    });
    EXPECT_EQ(result, "File access denied|File access denied");
    EXPECT_EQ(ReadBytes(dir / "locked.skm"), original);
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

    int failures = 0;
    for (int n = 1;; ++n) {
        files::testing::FailNthOperation(n, ENOSPC);
        const std::string error = SaveError(dir / "steps.skm");
        const int operations = files::testing::OperationCount();
        files::testing::FailNthOperation(0, 0);
        if (n > operations) {
            EXPECT_EQ(error, "no error");
            break;
        }
        ++failures;
        EXPECT_EQ(error, "I/O error " + std::to_string(ENOSPC)) << "operation " << n;
        EXPECT_EQ(ReadBytes(dir / "steps.skm"), original) << "operation " << n;
        EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"steps.skm"}) << "operation " << n;
    }
    EXPECT_GE(failures, 6) << "open, mode, write, sync, close and rename can each fail";

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
