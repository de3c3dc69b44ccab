// POSIX side of the file calls.
#include "file_system.h"

#include "errors.h"
#include "file_faults.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace mission::files {

namespace {

// Every system call of this file passes here first; true means "fail it with errno set".
bool Injected() {
    const int error = NextOperationFault();
    if (error == 0)
        return false;
    errno = error;
    return true;
}

bool IsFolder(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

[[noreturn]] void Raise(int errorCode, const std::filesystem::path& path) {
    throw EInOutError(ErrorText(errorCode, path), errorCode);
}

// Follows symbolic links so that a save replaces the file a link points to, not the link.
std::filesystem::path ResolveLinks(std::filesystem::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (Injected() || ::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT)
                return path;
            Raise(errno, path);
        }
        if (!S_ISLNK(st.st_mode))
            return path;
        std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            Raise(errno, path);
        const std::filesystem::path next(std::string(target.data(), static_cast<std::size_t>(length)));
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    Raise(ELOOP, path);
}

void WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = Injected() ? -1 : ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            throw errno;
        if (written == 0)
            throw EIO;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

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

std::size_t ReadFilePrefix(const std::filesystem::path& path, std::span<std::uint8_t> buffer) {
    // Non-blocking, so that a named pipe chosen by mistake cannot hang the editor.
    const int fd = Injected() ? -1 : ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        Raise(errno, path);
    std::size_t total = 0;
    while (total < buffer.size()) {
        const ssize_t count = Injected() ? -1 : ::read(fd, buffer.data() + total, buffer.size() - total);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            const int error = errno;
            ::close(fd);
            Raise(error, path);
        }
        if (count == 0)
            break;
        total += static_cast<std::size_t>(count);
    }
    ::close(fd);
    return total;
}

void ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target = ResolveLinks(path);
    const std::filesystem::path folder = target.parent_path();
    if (!IsFolder(folder))
        Raise(ENOENT, target);

    struct stat existing {};
    const bool exists = !Injected() && ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        Raise(errno, target);
    if (exists) {
        if (S_ISDIR(existing.st_mode))
            Raise(EISDIR, target);
        // The rename below would replace a file the user may not write; refuse as opening it would.
        if (Injected() || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            Raise(errno, target);
    }

    // Built by appending: g++ 12 at -O3 warns falsely (-Wrestrict) on "." + std::string.
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string temporary = ((folder.empty() ? std::filesystem::path(".") : folder) / hidden).string();
    int fd = Injected() ? -1 : ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        Raise(errno, target);

    try {
        const mode_t mode = exists ? (existing.st_mode & 07777) : NewFileMode();
        if (Injected() || ::fchmod(fd, mode) != 0)
            throw errno;
        if (exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
            // Keeps the owner when the system allows it (it does for root); otherwise the new
            // file belongs to the user who saved it, as any new file would.
            [[maybe_unused]] const int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
        }
        WriteAll(fd, bytes);
        if (Injected() || ::fsync(fd) != 0)
            throw errno;
        const int closing = fd;
        fd = -1;
        const bool injected = Injected();
        const int injectedError = errno;
        if (::close(closing) != 0 || injected)
            throw injected ? injectedError : errno;
        if (Injected() || ::rename(temporary.c_str(), target.c_str()) != 0)
            throw errno;
    } catch (const int error) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.c_str());
        Raise(error, target);
    }
}

} // namespace mission::files
