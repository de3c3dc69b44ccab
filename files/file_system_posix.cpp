// POSIX side of the file calls.
#include "file_system.h"

#include "file_calls.h"

#ifndef __EMSCRIPTEN__
#include <acl/libacl.h>
#include <attr/libattr.h>
#endif
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace files {

namespace {

FileCalls& Calls() {
    return CurrentFileCalls();
}

bool IsFolder(const std::filesystem::path& path) {
    struct stat st {};
    return Calls().Stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

[[noreturn]] void Raise(int errorCode, const std::filesystem::path& path) {
    throw EInOutError(ErrorText(errorCode, path), errorCode);
}

// Owns an open file descriptor and closes it when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            Calls().Close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void Reset(int fd) {
        if (fd_ >= 0)
            Calls().Close(fd_);
        fd_ = fd;
    }
    // Closes now, so that a failing close can be reported; false with errno set on failure.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return Calls().Close(fd) == 0;
    }

private:
    int fd_;
};

// A temporary file's name in the folder, removed when it goes unless it was renamed away.
class TemporaryName {
public:
    TemporaryName() = default;
    ~TemporaryName() {
        if (!name_.empty())
            Calls().Unlink(name_.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    void Set(std::string name) { name_ = std::move(name); }
    const std::string& get() const { return name_; }
    void Release() { name_.clear(); }

private:
    std::string name_;
};

FileStamp StampFrom(const struct stat& st, std::span<const std::uint8_t> content = {}) {
    FileStamp stamp;
    stamp.Exists = true;
    stamp.Device = static_cast<std::uint64_t>(st.st_dev);
    stamp.Identity = static_cast<std::uint64_t>(st.st_ino);
    stamp.Size = static_cast<std::uintmax_t>(st.st_size);
    stamp.ModifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    stamp.ModifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    stamp.ChangedSeconds = static_cast<std::int64_t>(st.st_ctim.tv_sec);
    stamp.ChangedNanoseconds = static_cast<std::int64_t>(st.st_ctim.tv_nsec);
    stamp.Content.assign(content.begin(), content.end());
    return stamp;
}

// The link's target. Its length as lstat reports it is not trusted: the links of /proc report 64
// whatever they hold.
std::string ReadLink(const std::filesystem::path& path) {
    std::vector<char> target(256);
    for (;;) {
        const ssize_t length = Calls().ReadLink(path.c_str(), target.data(), target.size());
        if (length < 0)
            Raise(errno, path);
        if (static_cast<std::size_t>(length) < target.size())
            return std::string(target.data(), static_cast<std::size_t>(length));
        if (target.size() >= (1u << 20))
            Raise(ENAMETOOLONG, path);
        target.resize(target.size() * 2);
    }
}

// Follows symbolic links so that a save replaces the file a link points to, not the link.
std::filesystem::path ResolveLinks(std::filesystem::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (Calls().LStat(path.c_str(), &st) != 0) {
            if (errno == ENOENT)
                return path;
            Raise(errno, path);
        }
        if (!S_ISLNK(st.st_mode))
            return path;
        const std::filesystem::path next(ReadLink(path));
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    Raise(ELOOP, path);
}

// Only regular files are read or replaced: reading a pipe or device could wait for ever or never
// end, and replacing one with a file would break whatever uses it.
void RequireRegularFile(const struct stat& st, const std::filesystem::path& path) {
    if (S_ISDIR(st.st_mode))
        Raise(EISDIR, path);
    if (!S_ISREG(st.st_mode))
        Raise(EACCES, path);
}

// Writes all of bytes at offset; 0 on success, otherwise the error.
int WriteAllAt(int fd, std::span<const std::uint8_t> bytes, off_t offset) {
    while (!bytes.empty()) {
        const ssize_t written = Calls().PWrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        if (written == 0)
            return EIO;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
        offset += written;
    }
    return 0;
}

// Reads the file from its first byte until buffer is full or the file ends; returns the count read.
std::size_t ReadFromStart(int fd, std::span<std::uint8_t> buffer, const std::filesystem::path& path) {
    std::size_t have = 0;
    while (have < buffer.size()) {
        const ssize_t count =
            Calls().PRead(fd, buffer.data() + have, buffer.size() - have, static_cast<off_t>(have));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            Raise(errno, path);
        if (count == 0)
            break;
        have += static_cast<std::size_t>(count);
    }
    return have;
}

mode_t NewFileMode() {
    const mode_t mask = Calls().Umask(0);
    Calls().Umask(mask);
    return 0666 & ~mask;
}

// A file that grows past the size limit would otherwise kill the whole program, and every unsaved
// edit with it; ignored, the write fails with EFBIG and is reported like any other error. A
// handler the program set itself is left alone.
void KeepFileSizeLimitFromKilling() {
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
}

// Temporaries are named ".quarnel-<process id>-<8 random letters>". The name does not grow with the
// target's, so a target whose name is as long as the system allows still has one. While its save
// runs, it holds a lock on the file; a temporary that nobody holds, whose process is not to be seen
// and which has not changed for longer than any save takes is what a killed save left behind.
constexpr std::string_view kTemporaryPrefix = ".quarnel-";
constexpr char kTemporaryLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kTemporaryLetterCount = 8;
// A process id says nothing of a save in another process namespace (a container, a sandbox,
// another machine over NFS), which may be between making its temporary and locking it: only a
// temporary left alone this long is surely no running save's.
constexpr std::int64_t kLeftoverAgeSeconds = 10 * 60;

std::string TemporaryPath(const std::filesystem::path& folder) {
    static std::mt19937 random(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
    std::string name(kTemporaryPrefix);
    name += std::to_string(::getpid()) + "-";
    for (std::size_t i = 0; i < kTemporaryLetterCount; ++i)
        name += kTemporaryLetters[random() % (sizeof kTemporaryLetters - 1)];
    return (folder / name).string();
}

bool IsTemporaryLetters(std::string_view letters) {
    return letters.size() == kTemporaryLetterCount &&
           letters.find_first_not_of(std::string_view(kTemporaryLetters)) == std::string_view::npos;
}

// True only for the names this program gives its temporaries, the earlier ".quarnel-<8 letters>"
// included: a file of the user's whose name merely begins the same way is never one. Sets process
// to the id the name carries, or 0 for the earlier form.
bool IsTemporaryName(std::string_view name, long& process) {
    if (!name.starts_with(kTemporaryPrefix))
        return false;
    name.remove_prefix(kTemporaryPrefix.size());
    process = 0;
    if (IsTemporaryLetters(name))
        return true;
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash > 10 || !IsTemporaryLetters(name.substr(dash + 1)))
        return false;
    for (const char digit : name.substr(0, dash)) {
        if (digit < '0' || digit > '9')
            return false;
        process = process * 10 + (digit - '0');
    }
    return true;
}

// Names of temporaries without a process id (those of earlier versions) say nothing.
bool OwnerMayRun(long process) {
    return process > 0 && ProcessMayRun(process);
}

// True when the file has not changed for kLeftoverAgeSeconds. Its change time is the one no
// program can set; a time that cannot be read, or one in the future, keeps the file.
bool LeftAlone(const struct stat& st) {
    struct timespec now {};
    if (Calls().ClockGetTime(CLOCK_REALTIME, &now) != 0)
        return false;
    return static_cast<std::int64_t>(now.tv_sec) - static_cast<std::int64_t>(st.st_ctim.tv_sec) > kLeftoverAgeSeconds;
}

// Removes what killed saves left in the folder. Never fails the save that calls it: a temporary it
// cannot open or lock is someone else's to clear.
void RemoveLeftovers(const std::filesystem::path& folder) {
    const int fd = Calls().OpenAt(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return;
    DIR* listing = Calls().FdOpenDir(fd);
    if (listing == nullptr) {
        Calls().Close(fd);
        return;
    }
    std::vector<std::string> names;
    while (const struct dirent* entry = Calls().ReadDir(listing)) {
        long process = 0;
        if (IsTemporaryName(entry->d_name, process) && !OwnerMayRun(process))
            names.emplace_back(entry->d_name);
    }
    for (const std::string& name : names) {
        // Only regular files are opened: opening a device can do something by itself. Opened for
        // writing too, since NFS locks only such files.
        struct stat named {};
        if (Calls().FStatAt(fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode) ||
            !LeftAlone(named))
            continue;
        const Descriptor leftover(
            Calls().OpenAt(fd, name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
        struct stat held {};
        if (!leftover.valid() || Calls().Flock(leftover.get(), LOCK_EX | LOCK_NB) != 0 ||
            Calls().FStat(leftover.get(), &held) != 0 || named.st_dev != held.st_dev ||
            named.st_ino != held.st_ino || !LeftAlone(held))
            continue;
        Calls().UnlinkAt(fd, name.c_str(), 0);
    }
    Calls().CloseDir(listing);
}

struct Temporary {
    Descriptor file;
    // A second descriptor of the same open file: it keeps the file's lock after the first is
    // closed to report a failing close, until the rename is done, and tells the saved file's
    // stamp after the rename, which changes the file's change time.
    Descriptor lock;
    TemporaryName name; // empty while the file has no name
};

// Marks the temporary as a running save's. Where the file system has no locks the process id in
// its name and its age still keep other saves from removing it.
void LockTemporary(Temporary& temporary) {
    temporary.lock.Reset(Calls().Dup(temporary.file.get()));
    if (temporary.lock.valid())
        Calls().Flock(temporary.lock.get(), LOCK_EX | LOCK_NB);
}

// Opens the temporary in the folder: on Linux an unnamed file, which a killed save cannot leave
// behind; a named hidden file where the file system has no unnamed ones. Returns 0 or the error.
int OpenTemporary(const std::filesystem::path& folder, bool unnamed, Temporary& temporary) {
    // The page's in-memory file system has no unnamed files and no /proc to name one through.
#if defined(O_TMPFILE) && !defined(__EMSCRIPTEN__)
    if (unnamed) {
        const int fd = Calls().Open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            temporary.file.Reset(fd);
            LockTemporary(temporary);
            return 0;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
    }
#else
    (void)unnamed;
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = TemporaryPath(folder);
        const int fd = Calls().Open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            temporary.file.Reset(fd);
            temporary.name.Set(std::move(path));
            LockTemporary(temporary);
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// Gives a complete unnamed temporary a name in the folder. Returns 0 or the error.
int NameTemporary(const std::filesystem::path& folder, Temporary& temporary) {
    const std::string self = "/proc/self/fd/" + std::to_string(temporary.file.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = TemporaryPath(folder);
        if (Calls().LinkAt(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary.name.Set(std::move(path));
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// Replaces the content of a file where a new file cannot take its place: the file keeps its name
// and every other name, its owner, mode, ACL and attributes. Only the bytes written over and the
// old length are kept aside, whatever the file's size, and put back if writing fails part-way.
FileStamp WriteInPlace(const std::filesystem::path& target, std::span<const std::uint8_t> bytes) {
    const Descriptor file(Calls().Open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0));
    if (!file.valid())
        Raise(errno, target);
    struct stat st {};
    if (Calls().FStat(file.get(), &st) != 0)
        Raise(errno, target);
    RequireRegularFile(st, target);

    const auto oldLength = static_cast<std::uintmax_t>(st.st_size);
    std::vector<std::uint8_t> old(static_cast<std::size_t>(std::min<std::uintmax_t>(oldLength, bytes.size())));
    old.resize(ReadFromStart(file.get(), old, target));

    // A write or cut by a user without root's privileges clears the file's set-id bits: they are
    // given back after the last one. Only the owner may; for anyone else the system has the last word.
    const mode_t mode = st.st_mode & 07777;
    const auto restoreMode = [&] {
        struct stat now {};
        return Calls().FStat(file.get(), &now) == 0 && (now.st_mode & 07777) != mode &&
               Calls().FChmod(file.get(), mode) == 0;
    };
    int error = WriteAllAt(file.get(), bytes, 0);
    if (error == 0 && Calls().FSync(file.get()) != 0)
        error = errno;
    if (error != 0) {
        if (WriteAllAt(file.get(), old, 0) == 0 && Calls().FTruncate(file.get(), static_cast<off_t>(oldLength)) == 0) {
            restoreMode();
            Calls().FSync(file.get());
        }
        Raise(error, target);
    }
    // Cut only once the new bytes are on disk: until then the old tail is still there to keep. A
    // failure from here on leaves the whole new mission at the file's start.
    const bool cut = oldLength > bytes.size();
    if (cut && Calls().FTruncate(file.get(), static_cast<off_t>(bytes.size())) != 0)
        Raise(errno, target);
    if ((restoreMode() || cut) && Calls().FSync(file.get()) != 0)
        Raise(errno, target);
    if (Calls().FStat(file.get(), &st) != 0)
        Raise(errno, target);
    return StampFrom(st, bytes);
}

enum class TWritten { Saved, NotNamed, InPlaceInstead };

bool RefusedHere(int error) {
    return error == EPERM || error == EACCES || error == ENOTSUP || error == EOPNOTSUPP;
}

// Gives the temporary everything the old file has besides its bytes and its mode: owner and group,
// then ACL and extended attributes. The mode comes once the bytes are written, since a write by a
// user without root's privileges clears the set-id bits. False where the new file cannot carry
// all of it.
bool TakeOver(const std::filesystem::path& target, const struct stat& existing, Temporary& temporary) {
    const int fd = temporary.file.get();
    // Told from what the new file got, not from who saves it: in a set-group-ID folder a new file
    // takes the folder's group, not the user's.
    struct stat made {};
    if (Calls().FStat(fd, &made) != 0)
        Raise(errno, target);
    if (existing.st_uid != made.st_uid) {
        if (Calls().FChown(fd, existing.st_uid, existing.st_gid) != 0) {
            if (errno == EPERM)
                return false;
            Raise(errno, target);
        }
    } else if (existing.st_gid != made.st_gid) {
        // The owner stays the user's own; the group alone is given, as a member of it may.
        if (Calls().FChown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0) {
            if (errno == EPERM)
                return false;
            Raise(errno, target);
        }
    }
    const Descriptor old(Calls().Open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0));
    if (!old.valid()) {
        if (errno == EACCES)
            return false; // a file the user may write but not read: what it carries cannot be seen
        Raise(errno, target);
    }
    const char* temporaryName = temporary.name.get().empty() ? "" : temporary.name.get().c_str();
    for (auto copy : {Calls().CopyAcl, Calls().CopyAttributes}) {
        if (copy(target.c_str(), old.get(), temporaryName, fd) != 0) {
            if (RefusedHere(errno))
                return false;
            Raise(errno, target);
        }
    }
    return true;
}

// Writes bytes into a temporary beside the target, flushes it and renames it over the target, then
// flushes the folder.
TWritten WriteBeside(const std::filesystem::path& target, const std::filesystem::path& folder,
                     const Descriptor& folderFile, const struct stat& existing, bool exists,
                     std::span<const std::uint8_t> bytes, mode_t mode, bool unnamed, FileStamp& stamp) {
    // Every name of a file with several must see the saved mission.
    if (exists && existing.st_nlink > 1)
        return TWritten::InPlaceInstead;
    Temporary temporary;
    if (const int error = OpenTemporary(folder, unnamed, temporary); error != 0) {
        if (exists && (error == EACCES || error == EPERM))
            return TWritten::InPlaceInstead;
        Raise(error, target);
    }
    if (exists && !TakeOver(target, existing, temporary))
        return TWritten::InPlaceInstead;
    if (const int error = WriteAllAt(temporary.file.get(), bytes, 0); error != 0)
        Raise(error, target);
    // The mode last, after the owner's change and the write, which both clear set-id bits.
    if (Calls().FChmod(temporary.file.get(), mode) != 0)
        Raise(errno, target);
    if (Calls().FSync(temporary.file.get()) != 0)
        Raise(errno, target);
    // The file gets a name only now that it is complete and on disk.
    if (temporary.name.get().empty()) {
        if (const int error = NameTemporary(folder, temporary); error != 0) {
            if (error == ENOENT)
                return TWritten::NotNamed;
            Raise(error, target);
        }
    }
    struct stat written {};
    if (Calls().FStat(temporary.file.get(), &written) != 0)
        Raise(errno, target);
    if (!temporary.file.Close())
        Raise(errno, target);
    if (Calls().Rename(temporary.name.get().c_str(), target.c_str()) != 0) {
        // A sticky folder lets the user write the file but not replace it; a file that is a bind
        // mount cannot be replaced at all.
        if (exists && (errno == EPERM || errno == EACCES || errno == EBUSY))
            return TWritten::InPlaceInstead;
        Raise(errno, target);
    }
    temporary.name.Release();
    // Some file systems cannot flush a folder (EINVAL); they keep it as well as they can.
    if (folderFile.valid() && (Calls().FSync(folderFile.get()) != 0) && errno != EINVAL)
        Raise(errno, target);
    // The file is saved; a stamp taken before the rename only makes the next save ask first.
    if (temporary.lock.valid())
        Calls().FStat(temporary.lock.get(), &written);
    stamp = StampFrom(written, bytes);
    return TWritten::Saved;
}

#ifdef __EMSCRIPTEN__
// The page's in-memory file system keeps neither ACLs nor extended attributes.
int CopyAclOf(const char*, int, const char*, int) {
    return 0;
}

int CopyAttributesOf(const char*, int, const char*, int) {
    return 0;
}
#else
int CopyAclOf(const char* fromPath, int from, const char* toPath, int to) {
    return ::perm_copy_fd(fromPath, from, toPath, to, nullptr);
}

int CopyAttributesOf(const char* fromPath, int from, const char* toPath, int to) {
    // Everything but what the ACL copy already carried, as coreutils' cp --preserve=all copies.
    return ::attr_copy_fd(fromPath, from, toPath, to, nullptr, nullptr);
}
#endif

} // namespace

FileCalls SystemFileCalls() {
    FileCalls calls;
    calls.Open = [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); };
    calls.OpenAt = [](int folder, const char* path, int flags, mode_t mode) {
        return ::openat(folder, path, flags, mode);
    };
    calls.Close = ::close;
    calls.Dup = ::dup;
    calls.PRead = ::pread;
    calls.PWrite = ::pwrite;
    calls.FTruncate = ::ftruncate;
#ifdef __EMSCRIPTEN__
    // The page's files are in memory, and the page itself stores the folder that outlives a visit.
    // Emscripten's fsync would instead suspend the program in the middle of the write, letting the
    // page's events run there, and copy the whole folder over the page's storage, removing what
    // another tab of the page stored.
    calls.FSync = [](int) { return 0; };
#else
    calls.FSync = ::fsync;
#endif
    calls.FChmod = ::fchmod;
    calls.FChown = ::fchown;
    calls.FStat = [](int fd, struct stat* st) { return ::fstat(fd, st); };
    calls.FStatAt = [](int folder, const char* path, struct stat* st, int flags) {
        return ::fstatat(folder, path, st, flags);
    };
    calls.Stat = [](const char* path, struct stat* st) { return ::stat(path, st); };
    calls.LStat = [](const char* path, struct stat* st) { return ::lstat(path, st); };
    calls.ReadLink = ::readlink;
    calls.FAccessAt = ::faccessat;
    calls.LinkAt = ::linkat;
    calls.Rename = ::rename;
    calls.Unlink = ::unlink;
    calls.UnlinkAt = ::unlinkat;
    calls.Flock = ::flock;
    calls.Umask = ::umask;
    calls.Kill = ::kill;
    calls.ClockGetTime = ::clock_gettime;
    calls.CopyAcl = CopyAclOf;
    calls.CopyAttributes = CopyAttributesOf;
    calls.FdOpenDir = ::fdopendir;
    calls.ReadDir = ::readdir;
    calls.CloseDir = ::closedir;
    return calls;
}

FileCalls& CurrentFileCalls() {
    static FileCalls calls = SystemFileCalls();
    return calls;
}

std::string ErrorText(int errorCode, const std::filesystem::path& path) {
    switch (errorCode) {
    case ENOENT:
        return IsFolder(path.parent_path()) ? "File not found" : "Invalid filename";
    case ENOTDIR:
        return "Invalid filename";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    case EACCES:
    case EPERM:
    case EROFS:
        return "File access denied";
    default:
        return "I/O error " + std::to_string(errorCode);
    }
}

FilePrefix ReadFilePrefix(const std::filesystem::path& path, std::span<std::uint8_t> buffer) {
    // Looked at before it is opened: opening some devices does something by itself.
    struct stat st {};
    if (Calls().Stat(path.c_str(), &st) == 0)
        RequireRegularFile(st, path);
    // Non-blocking, so that a pipe put in the file's place meanwhile cannot hang the editor.
    const Descriptor file(Calls().Open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0));
    if (!file.valid())
        Raise(errno, path);
    if (Calls().FStat(file.get(), &st) != 0)
        Raise(errno, path);
    RequireRegularFile(st, path);

    FilePrefix read;
    read.FileSize = static_cast<std::uintmax_t>(st.st_size);
    read.BytesRead = ReadFromStart(file.get(), buffer, path);
    read.Stamp = StampFrom(st, buffer.first(read.BytesRead));
    return read;
}

FileStamp StampOf(const std::filesystem::path& path) {
    struct stat st {};
    if (Calls().Stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        Raise(errno, path);
    }
    return StampFrom(st);
}

bool ProcessMayRun(long process) {
    return Calls().Kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM;
}

FileStamp ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, NewFileAccess access) {
    KeepFileSizeLimitFromKilling();
    const std::filesystem::path target = ResolveLinks(path);
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    struct stat folderStat {};
    if (Calls().Stat(folder.c_str(), &folderStat) != 0)
        Raise(errno == ENOTDIR ? ENOENT : errno, target);
    if (!S_ISDIR(folderStat.st_mode))
        Raise(ENOENT, target);

    struct stat existing {};
    const bool exists = Calls().Stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        Raise(errno, target);
    if (exists) {
        RequireRegularFile(existing, target);
        // The rename below would replace a file the user may not write; refuse as opening it would.
        if (Calls().FAccessAt(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            Raise(errno, target);
    }

    // The folder is flushed after the rename, or a power cut could lose both the new file and the
    // old. A folder that may be written but not read cannot be opened for that; it is then left to
    // the system.
    const Descriptor folderFile(Calls().Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (!folderFile.valid() && errno != EACCES)
        Raise(errno, target);

    const mode_t mode = exists ? existing.st_mode & 07777 : access == NewFileAccess::OwnerOnly ? 0600 : NewFileMode();
    FileStamp stamp;
    TWritten written = WriteBeside(target, folder, folderFile, existing, exists, bytes, mode,
                                   Calls().UnnamedTemporaries, stamp);
    // Without /proc an unnamed file cannot be given a name: write a named one instead.
    if (written == TWritten::NotNamed)
        written = WriteBeside(target, folder, folderFile, existing, exists, bytes, mode, false, stamp);
    if (written == TWritten::InPlaceInstead)
        stamp = WriteInPlace(target, bytes);
    RemoveLeftovers(folder);
    return stamp;
}

} // namespace files
