// Failures of loading and saving, each produced for real, and the promise that a failed save
// leaves the previous file exactly as it was.
#include "failing_file_calls.h"
#include "file_calls.h"
#include "file_system.h"
#include "save_load_errors.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <acl/libacl.h>
#include <stdexcept>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/acl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
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
        // The size limit's signal, left as the system sets it, would end the program.
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        std::signal(SIGXFSZ, SIG_DFL);
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
        const std::vector<std::string> calls = files::testing::OperationNames();
        const auto flush = std::find(calls.rbegin(), calls.rend(), "FSync");
        ASSERT_NE(flush, calls.rend());
        // The folder flush comes after the new file has taken the old one's name.
        const auto folderFlush = static_cast<std::size_t>(calls.rend() - flush);
        WriteBytes(dir / "steps.skm", original);

        int reported = 0;
        for (std::size_t n = 1; n <= calls.size(); ++n) {
            files::testing::FailNthOperation(static_cast<int>(n), ENOSPC);
            const std::string error = SaveError(dir / "steps.skm");
            files::testing::FailNthOperation(0, 0);
            const std::string step = "operation " + std::to_string(n) + " (" + calls[n - 1] + ")" +
                                     (unnamed ? " unnamed" : " named");
            EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"steps.skm"}) << step;
            const bool saved = ReadBytes(dir / "steps.skm") != original;
            if (error == "no error") {
                // Only a failure that changes nothing of the outcome may go unreported: a lock,
                // the close of a file only read, the clearing of leftovers after the save.
                EXPECT_TRUE(saved) << step;
                EXPECT_TRUE(n > folderFlush || calls[n - 1] == "Flock" || calls[n - 1] == "Dup" ||
                            calls[n - 1] == "Close")
                    << step;
            } else {
                ++reported;
                EXPECT_EQ(error, "I/O error " + std::to_string(ENOSPC)) << step;
                EXPECT_EQ(saved, n == folderFlush) << step;
                EXPECT_LE(n, folderFlush) << step;
            }
            WriteBytes(dir / "steps.skm", original);
        }
        EXPECT_GE(reported, 10) << "open, owner's copies, mode, write, sync, stamp, close, rename and the "
                                   "folder flush can each fail";
    }
    files::testing::AllowUnnamedTemporaries(true);

    SaveError(dir / "steps.skm");
    struct stat st {};
    ::stat((dir / "steps.skm").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "a save keeps the file's permission bits";
    EXPECT_NE(ReadBytes(dir / "steps.skm"), original);
}

TEST(FileErrors, EveryFailingStepOfALoadIsReported) {
    TempDir dir;
    WriteBytes(dir / "load.skm", testsupport::RandomBytes(5192, 6));
    files::testing::FailNthOperation(0, 0);
    EXPECT_EQ(LoadError(dir / "load.skm"), "no error");
    const std::vector<std::string> calls = files::testing::OperationNames();
    ASSERT_GE(calls.size(), 4u) << "look, open, look again, read";
    for (std::size_t n = 1; n <= calls.size(); ++n) {
        files::testing::FailNthOperation(static_cast<int>(n), EMFILE);
        const std::string error = LoadError(dir / "load.skm");
        files::testing::FailNthOperation(0, 0);
        // The first look only keeps devices from being opened, and opening then says what is
        // wrong; a failing close of a file only read loses nothing.
        if ((n == 1 && calls[0] == "Stat") || calls[n - 1] == "Close")
            EXPECT_EQ(error, "no error");
        else
            EXPECT_EQ(error, "Too many open files") << n << " " << calls[n - 1];
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
        // Killed in the middle of writing, as kill -9 would.
        files::CurrentFileCalls().PWrite = [](int, const void*, size_t, off_t) -> ssize_t {
            ::kill(::getpid(), SIGKILL);
            return -1;
        };
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

// What a save must keep besides the bytes, and where it must write in place to keep it.

namespace {

std::string AclText(const std::filesystem::path& path, acl_type_t type = ACL_TYPE_ACCESS) {
    acl_t acl = ::acl_get_file(path.c_str(), type);
    if (acl == nullptr)
        return "no ACL";
    char* text = ::acl_to_any_text(acl, nullptr, ',', 0);
    std::string result = text ? text : "";
    ::acl_free(text);
    ::acl_free(acl);
    return result;
}

void SetAcl(const std::filesystem::path& path, const char* text, acl_type_t type = ACL_TYPE_ACCESS) {
    acl_t acl = ::acl_from_text(text);
    ASSERT_NE(acl, nullptr) << text;
    ASSERT_EQ(::acl_set_file(path.c_str(), type, acl), 0) << text << ": " << std::strerror(errno);
    ::acl_free(acl);
}

struct stat StatOf(const std::filesystem::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

std::vector<std::uint8_t> SavedNewMission(const std::string& name) {
    TMission m;
    NewMission(m);
    m.Header.MissionName = MissionNameFromPath(name);
    const auto image = EncodeMission(m);
    return {image.begin(), image.end()};
}

} // namespace

TEST(FileErrors, ASaveKeepsTheFilesAclAndExtendedAttributes) {
    TempDir dir;
    // A folder whose default ACL would otherwise give every new file its own entries.
    std::filesystem::create_directory(dir / "shared");
    SetAcl(dir / "shared", "u::rwx,g::rwx,o::rwx,u:1001:r--,m::rwx", ACL_TYPE_DEFAULT);
    struct {
        const char* name;
        const char* acl; // nullptr: the mode alone
    } cases[] = {{"named.skm", "u::rw-,u:1001:rw-,g::r--,m::rw-,o::---"}, {"plain.skm", nullptr}};
    for (const auto& c : cases) {
        const auto path = dir / "shared" / c.name;
        WriteBytes(path, testsupport::RandomBytes(5192, 12));
        ::chmod(path.c_str(), 0640);
        if (c.acl)
            SetAcl(path, c.acl);
        ASSERT_EQ(::setxattr(path.c_str(), "user.quarnel.note", "kept", 4, 0), 0) << std::strerror(errno);
        const std::string before = AclText(path);
        const mode_t mode = StatOf(path).st_mode;

        EXPECT_EQ(SaveError(path), "no error") << c.name;
        EXPECT_EQ(AclText(path), before) << c.name;
        EXPECT_EQ(StatOf(path).st_mode, mode) << c.name;
        char value[16] = {};
        EXPECT_EQ(::getxattr(path.c_str(), "user.quarnel.note", value, sizeof value), 4) << c.name;
        EXPECT_STREQ(value, "kept") << c.name;
        EXPECT_EQ(ReadBytes(path), SavedNewMission(c.name)) << c.name;
    }
}

TEST(FileErrors, AFileWithSeveralNamesIsSavedUnderAllOfThem) {
    TempDir dir;
    WriteBytes(dir / "first.skm", testsupport::RandomBytes(9000, 13));
    std::filesystem::create_hard_link(dir / "first.skm", dir / "second.skm");
    const ino_t inode = StatOf(dir / "first.skm").st_ino;
    EXPECT_EQ(SaveError(dir / "first.skm"), "no error");
    EXPECT_EQ(StatOf(dir / "first.skm").st_ino, inode);
    EXPECT_EQ(ReadBytes(dir / "second.skm"), SavedNewMission("first.skm"));
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"first.skm", "second.skm"}));
}

TEST(FileErrors, ARefusedRenameWritesInPlace) {
    TempDir dir;
    const auto original = testsupport::RandomBytes(5192, 14);
    WriteBytes(dir / "held.skm", original);
    files::testing::FailNthOperation(0, 0);
    SaveError(dir / "held.skm");
    const std::vector<std::string> calls = files::testing::OperationNames();
    const auto rename = std::find(calls.begin(), calls.end(), "Rename");
    ASSERT_NE(rename, calls.end());
    // A sticky folder refuses with EPERM or EACCES, a file that is a bind mount with EBUSY.
    for (const int refusal : {EPERM, EACCES, EBUSY}) {
        WriteBytes(dir / "held.skm", original);
        const ino_t inode = StatOf(dir / "held.skm").st_ino;
        files::testing::FailNthOperation(static_cast<int>(rename - calls.begin()) + 1, refusal);
        EXPECT_EQ(SaveError(dir / "held.skm"), "no error") << refusal;
        files::testing::FailNthOperation(0, 0);
        EXPECT_EQ(StatOf(dir / "held.skm").st_ino, inode) << refusal;
        EXPECT_EQ(ReadBytes(dir / "held.skm"), SavedNewMission("held.skm")) << refusal;
        EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"held.skm"}) << refusal;
    }
}

TEST(FileErrors, AFileThatIsABindMountIsWrittenInPlace) {
    TempDir dir;
    WriteBytes(dir / "source.skm", testsupport::RandomBytes(5192, 19));
    WriteBytes(dir / "mounted.skm", testsupport::RandomBytes(5192, 20));
    const std::string result = RunInChild([&] {
        // A mount namespace of the child's own, gone with it.
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount((dir / "source.skm").c_str(), (dir / "mounted.skm").c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::string("no mounts here");
        return SaveError(dir / "mounted.skm");
    });
    if (result == "no mounts here")
        GTEST_SKIP() << "bind mounts need root in a system that allows mount namespaces";
    EXPECT_EQ(result, "no error");
    EXPECT_EQ(ReadBytes(dir / "source.skm"), SavedNewMission("mounted.skm")) << "written through the mount";
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"mounted.skm", "source.skm"}));
}

TEST(FileErrors, AnotherUsersFileKeepsItsOwnerAlsoInAStickyFolder) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a file owned by another user needs root to set up";
    TempDir dir;
    for (const mode_t folderMode : {0777, 01777}) {
        const auto folder = dir / ("folder" + std::to_string(folderMode));
        std::filesystem::create_directory(folder);
        ::chmod(folder.c_str(), folderMode);
        WriteBytes(folder / "theirs.skm", testsupport::RandomBytes(5192, 15));
        ::chown((folder / "theirs.skm").c_str(), 0, 0);
        ::chmod((folder / "theirs.skm").c_str(), 0666);
        const std::string result = RunInChild([&] {
            DropPrivileges();
            return SaveError(folder / "theirs.skm");
        });
        EXPECT_EQ(result, "no error") << folderMode;
        const struct stat st = StatOf(folder / "theirs.skm");
        EXPECT_EQ(st.st_uid, 0u) << folderMode;
        EXPECT_EQ(st.st_gid, 0u) << folderMode;
        EXPECT_EQ(st.st_mode & 07777, 0666u) << folderMode;
        EXPECT_EQ(ReadBytes(folder / "theirs.skm"), SavedNewMission("theirs.skm")) << folderMode;
        EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"theirs.skm"}) << folderMode;
    }
}

TEST(FileErrors, SetIdBitsSurviveTheOwnersReturn) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a new file another user as owner needs root";
    TempDir dir;
    WriteBytes(dir / "setid.skm", testsupport::RandomBytes(5192, 16));
    ::chown((dir / "setid.skm").c_str(), testsupport::kUnprivilegedUser, testsupport::kUnprivilegedUser);
    ::chmod((dir / "setid.skm").c_str(), 06755);
    EXPECT_EQ(SaveError(dir / "setid.skm"), "no error");
    const struct stat st = StatOf(dir / "setid.skm");
    EXPECT_EQ(st.st_mode & 07777, 06755u);
    EXPECT_EQ(st.st_uid, testsupport::kUnprivilegedUser);
    EXPECT_EQ(st.st_gid, testsupport::kUnprivilegedUser);
}

TEST(FileErrors, WritingInPlaceKeepsOnlyWhatItWritesOver) {
    TempDir dir;
    // A sparse file far larger than the memory the save is given, written in place through its
    // second name: the rollback keeps the first 5192 bytes and the length, not the whole file.
    constexpr off_t kHuge = off_t{4} << 30;
    const auto prefix = testsupport::RandomBytes(5192, 17);
    WriteBytes(dir / "huge.skm", prefix);
    ASSERT_EQ(::truncate((dir / "huge.skm").c_str(), kHuge), 0);
    std::filesystem::create_hard_link(dir / "huge.skm", dir / "other.skm");
    const auto saveWithin256MB = [&] {
        return RunInChild([&] {
            long pages = 0;
            if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
                if (std::fscanf(statm, "%ld", &pages) != 1)
                    pages = 0;
                std::fclose(statm);
            }
            const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) +
                                 (rlim_t{256} << 20);
            const rlimit memory{limit, limit};
            ::setrlimit(RLIMIT_AS, &memory);
            return SaveError(dir / "huge.skm");
        });
    };

    // The flush of the new bytes fails: the old first bytes and the old length come back.
    const std::string failed = RunInChild([&] {
        files::CurrentFileCalls().FSync = [](int) {
            errno = EIO;
            return -1;
        };
        return saveWithin256MB();
    });
    EXPECT_EQ(failed, "I/O error " + std::to_string(EIO));
    EXPECT_EQ(StatOf(dir / "huge.skm").st_size, kHuge);
    std::vector<std::uint8_t> start(5192);
    {
        FILE* file = std::fopen((dir / "huge.skm").c_str(), "rb");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(std::fread(start.data(), 1, start.size(), file), start.size());
        std::fclose(file);
    }
    EXPECT_EQ(start, prefix);

    EXPECT_EQ(saveWithin256MB(), "no error");
    // Checked before the bytes are read: a save that replaced the file instead of writing in place
    // leaves the second name on the old 4 GiB file, which must not be read whole.
    ASSERT_EQ(std::filesystem::file_size(dir / "other.skm"), 5192u) << "the second name lost the save";
    EXPECT_EQ(ReadBytes(dir / "other.skm"), SavedNewMission("huge.skm"));
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"huge.skm", "other.skm"}));
}

namespace {

int heldReady = -1;
int heldGo = -1;

std::vector<std::string> Temporaries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& name : FilesIn(folder))
        if (name.starts_with(".quarnel-"))
            names.push_back(name);
    return names;
}

// A save in a child process held just before its rename, as a stopped process or a slow disk
// holds it, until it is let go (or the test ends).
class HeldSave {
public:
    HeldSave(const std::filesystem::path& path, bool locks) {
        int ready[2];
        int go[2];
        if (::pipe(ready) != 0 || ::pipe(go) != 0)
            throw std::runtime_error("pipe failed");
        process_ = ::fork();
        if (process_ == 0) {
            ::close(ready[0]);
            ::close(go[1]);
            heldReady = ready[1];
            heldGo = go[0];
            if (!locks) // as on a file system without locks: only the process id speaks for it
                files::CurrentFileCalls().Flock = [](int, int) {
                    errno = ENOLCK;
                    return -1;
                };
            files::CurrentFileCalls().Rename = [](const char* from, const char* to) {
                char signal = 'r';
                if (::write(heldReady, &signal, 1) != 1 || ::read(heldGo, &signal, 1) != 1)
                    ::_exit(4);
                return ::rename(from, to);
            };
            ::_exit(SaveError(path) == "no error" ? 0 : 1);
        }
        ::close(ready[1]);
        ::close(go[0]);
        go_ = go[1];
        char signal = 0;
        held_ = ::read(ready[0], &signal, 1) == 1;
        ::close(ready[0]);
    }
    ~HeldSave() { LetGo(); }
    HeldSave(const HeldSave&) = delete;
    HeldSave& operator=(const HeldSave&) = delete;
    bool Held() const { return held_; }
    // Lets the save finish; true when it succeeded.
    bool LetGo() {
        if (go_ < 0)
            return false;
        const char signal = 'g';
        const bool sent = ::write(go_, &signal, 1) == 1;
        ::close(go_); // and without the byte the child ends
        go_ = -1;
        int status = 0;
        ::waitpid(process_, &status, 0);
        return sent && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t process_ = -1;
    int go_ = -1;
    bool held_ = false;
};

} // namespace

TEST(FileErrors, LaterSavesClearWhatKilledSavesLeftButNotARunningSavesTemporary) {
    TempDir dir;
    WriteBytes(dir / "a.skm", testsupport::RandomBytes(5192, 18));
    const auto killSaves = [&] {
        // Saves killed between naming their temporary and the rename, as kill -9 would.
        for (const bool unnamed : {true, false}) {
            const std::string killed = RunInChild([&] {
                files::testing::AllowUnnamedTemporaries(unnamed);
                files::CurrentFileCalls().Rename = [](const char*, const char*) {
                    ::kill(::getpid(), SIGKILL);
                    return -1;
                };
                return SaveError(dir / "a.skm");
            });
            ASSERT_EQ(killed, "crashed");
        }
    };

    // A running save's temporary is known by its lock, and by its process where there are no locks.
    for (const bool locks : {true, false}) {
        killSaves();
        ASSERT_EQ(Temporaries(dir.path()).size(), 2u);
        HeldSave held(dir / "held.skm", locks);
        ASSERT_TRUE(held.Held());
        EXPECT_EQ(Temporaries(dir.path()).size(), 3u);
        if (locks) // as when the running save is another machine's, whose process cannot be seen
            files::CurrentFileCalls().Kill = [](pid_t, int) {
                errno = ESRCH;
                return -1;
            };
        // Leftovers are cleared only once no save could still be starting with them: later on.
        files::CurrentFileCalls().ClockGetTime = [](clockid_t clock, struct timespec* now) {
            const int result = ::clock_gettime(clock, now);
            now->tv_sec += 3600;
            return result;
        };
        EXPECT_EQ(SaveError(dir / "b.skm"), "no error");
        files::CurrentFileCalls().Kill = files::SystemFileCalls().Kill;
        files::CurrentFileCalls().ClockGetTime = files::SystemFileCalls().ClockGetTime;
        EXPECT_EQ(Temporaries(dir.path()).size(), 1u)
            << "the killed saves' leftovers are gone, the held save's temporary stays";
        EXPECT_TRUE(held.LetGo()) << "the held save completes";
        EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"a.skm", "b.skm", "held.skm"}));
    }
}
