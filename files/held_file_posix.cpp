#include "held_file.h"

#include "file_calls.h"
#include "file_system.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <utility>

namespace files {

std::optional<HeldFile> HeldFile::TryHold(const std::filesystem::path& path) {
    FileCalls& calls = CurrentFileCalls();
    const int fd = calls.Open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        throw EInOutError(ErrorText(errno, path), errno);
    if (calls.Flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        calls.Close(fd);
        if (error == EWOULDBLOCK)
            return std::nullopt;
        throw EInOutError(ErrorText(error, path), error);
    }
    return HeldFile(path, fd);
}

// Removed while still held, so nobody can hold the name between the two.
void HeldFile::Remove() {
    if (held_)
        CurrentFileCalls().Unlink(path_.c_str());
    Release();
}

void HeldFile::Release() {
    if (std::exchange(held_, false))
        CurrentFileCalls().Close(handle_);
}

} // namespace files
