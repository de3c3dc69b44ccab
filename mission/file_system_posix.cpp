// POSIX side of the file calls.
#include "file_system.h"

#include "errors.h"
#include "file_calls.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace mission::files {

namespace {

FileCalls& Calls() {
    return CurrentFileCalls();
}

bool IsFolder(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void Reset(int fd) {
        if (fd_ >= 0)
            ::close(fd_);
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
            ::unlink(name_.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    void Set(std::string name) { name_ = std::move(name); }
    const std::string& get() const { return name_; }
    void Release() { name_.clear(); }

private:
    std::string name_;
};

// The link's target. Its length as lstat reports it is not trusted: the links of /proc report 64
// whatever they hold.
std::string ReadLink(const std::filesystem::path& path) {
    std::vector<char> target(256);
    for (;;) {
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
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
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A name for the temporary that no file in the folder has yet. It does not grow with the target's
// name, so a target whose name is as long as the system allows still has one.
std::string TemporaryPath(const std::filesystem::path& folder) {
    static std::mt19937 random(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name = ".quarnel-";
    for (int i = 0; i < 8; ++i)
        name += kLetters[random() % (sizeof kLetters - 1)];
    return (folder / name).string();
}

struct Temporary {
    Descriptor file;
    TemporaryName name; // empty while the file has no name
};

// Opens the temporary in the folder: on Linux an unnamed file, which a killed save cannot leave
// behind; a named hidden file where the file system has no unnamed ones. Returns 0 or the error.
int OpenTemporary(const std::filesystem::path& folder, bool unnamed, Temporary& temporary) {
#ifdef O_TMPFILE
    if (unnamed) {
        const int fd = Calls().Open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            temporary.file.Reset(fd);
            return 0;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
    }
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = TemporaryPath(folder);
        const int fd = Calls().Open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            temporary.file.Reset(fd);
            temporary.name.Set(std::move(path));
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

// Replaces the content of a file the user may write where no temporary can be made beside it:
// the file keeps its name, owner and mode, and gets its old bytes back if writing fails part-way.
void WriteInPlace(const std::filesystem::path& target, std::span<const std::uint8_t> bytes) {
    const Descriptor file(Calls().Open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0));
    if (!file.valid())
        Raise(errno, target);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0)
        Raise(errno, target);
    RequireRegularFile(st, target);

    std::vector<std::uint8_t> old(static_cast<std::size_t>(st.st_size));
    old.resize(ReadFromStart(file.get(), old, target));

    int error = WriteAllAt(file.get(), bytes, 0);
    if (error == 0 && (Calls().FTruncate(file.get(), static_cast<off_t>(bytes.size())) != 0))
        error = errno;
    if (error == 0 && (Calls().FSync(file.get()) != 0))
        error = errno;
    if (error != 0) {
        if (WriteAllAt(file.get(), old, 0) == 0 &&
            ::ftruncate(file.get(), static_cast<off_t>(old.size())) == 0)
            ::fsync(file.get());
        Raise(error, target);
    }
}

// Writes bytes into a temporary beside the target, flushes it and renames it over the target, then
// flushes the folder. False, with the target untouched, when an unnamed temporary cannot be named.
bool WriteBeside(const std::filesystem::path& target, const std::filesystem::path& folder,
                 const Descriptor& folderFile, const struct stat& existing, bool exists,
                 std::span<const std::uint8_t> bytes, bool unnamed) {
    Temporary temporary;
    if (const int error = OpenTemporary(folder, unnamed, temporary); error != 0) {
        if (exists && (error == EACCES || error == EPERM)) {
            WriteInPlace(target, bytes);
            return true;
        }
        Raise(error, target);
    }

    const mode_t mode = exists ? (existing.st_mode & 07777) : NewFileMode();
    if (Calls().FChmod(temporary.file.get(), mode) != 0)
        Raise(errno, target);
    if (exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        // Keeps the owner when the system allows it (it does for root); otherwise the new
        // file belongs to the user who saved it, as any new file would.
        [[maybe_unused]] const int ignored = ::fchown(temporary.file.get(), existing.st_uid, existing.st_gid);
    }
    if (const int error = WriteAllAt(temporary.file.get(), bytes, 0); error != 0)
        Raise(error, target);
    if (Calls().FSync(temporary.file.get()) != 0)
        Raise(errno, target);
    // The file gets a name only now that it is complete and on disk.
    if (temporary.name.get().empty()) {
        if (const int error = NameTemporary(folder, temporary); error != 0) {
            if (error == ENOENT)
                return false;
            Raise(error, target);
        }
    }
    if (!temporary.file.Close())
        Raise(errno, target);
    if (Calls().Rename(temporary.name.get().c_str(), target.c_str()) != 0)
        Raise(errno, target);
    temporary.name.Release();
    // Some file systems cannot flush a folder (EINVAL); they keep it as well as they can.
    if (folderFile.valid() && (Calls().FSync(folderFile.get()) != 0) && errno != EINVAL)
        Raise(errno, target);
    return true;
}

} // namespace

FileCalls SystemFileCalls() {
    FileCalls calls;
    calls.Open = [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); };
    calls.Close = ::close;
    calls.PRead = ::pread;
    calls.PWrite = ::pwrite;
    calls.FTruncate = ::ftruncate;
    calls.FSync = ::fsync;
    calls.FChmod = ::fchmod;
    calls.Stat = [](const char* path, struct stat* st) { return ::stat(path, st); };
    calls.LStat = [](const char* path, struct stat* st) { return ::lstat(path, st); };
    calls.FAccessAt = ::faccessat;
    calls.LinkAt = ::linkat;
    calls.Rename = ::rename;
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
    if (::stat(path.c_str(), &st) == 0)
        RequireRegularFile(st, path);
    // Non-blocking, so that a pipe put in the file's place meanwhile cannot hang the editor.
    const Descriptor file(Calls().Open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0));
    if (!file.valid())
        Raise(errno, path);
    if (::fstat(file.get(), &st) != 0)
        Raise(errno, path);
    RequireRegularFile(st, path);

    FilePrefix read;
    read.FileSize = static_cast<std::uintmax_t>(st.st_size);
    read.BytesRead = ReadFromStart(file.get(), buffer, path);
    return read;
}

void ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target = ResolveLinks(path);
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    if (!IsFolder(folder))
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

    if (!WriteBeside(target, folder, folderFile, existing, exists, bytes, Calls().UnnamedTemporaries)) {
        // Without /proc an unnamed file cannot be given a name: write a named one instead.
        WriteBeside(target, folder, folderFile, existing, exists, bytes, false);
    }
}

} // namespace mission::files
