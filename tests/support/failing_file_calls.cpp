#include "failing_file_calls.h"

#include "file_calls.h"

#ifndef _WIN32
#include <cerrno>
#endif

#include <string>
#include <vector>

namespace files::testing {

namespace {

int failAt = 0;
int failWith = 0;
int count = 0;
std::vector<std::string> names;
const FileCalls real = SystemFileCalls();

// Counts one call; true, with the error set, when it is the one to fail.
bool Fails(const char* name) {
    ++count;
    names.emplace_back(name);
    if (failAt == 0 || count != failAt)
        return false;
#ifdef _WIN32
    ::SetLastError(static_cast<DWORD>(failWith));
#else
    errno = failWith;
#endif
    return true;
}

#ifdef _WIN32
void InstallCountingCalls() {
    FileCalls& calls = CurrentFileCalls();
    calls.CreateFileW = [](LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                           DWORD disposition, DWORD flags, HANDLE model) {
        return Fails("CreateFileW") ? INVALID_HANDLE_VALUE
                       : real.CreateFileW(name, access, share, security, disposition, flags, model);
    };
    calls.ReadFile = [](HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
        return Fails("ReadFile") ? FALSE : real.ReadFile(file, buffer, size, read, overlapped);
    };
    calls.GetFileAttributesW = [](LPCWSTR name) {
        return Fails("GetFileAttributesW") ? INVALID_FILE_ATTRIBUTES : real.GetFileAttributesW(name);
    };
    calls.WriteFile = [](HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
        return Fails("WriteFile") ? FALSE : real.WriteFile(file, buffer, size, written, overlapped);
    };
    calls.FlushFileBuffers = [](HANDLE file) { return Fails("FlushFileBuffers") ? FALSE : real.FlushFileBuffers(file); };
    // A failing close still closes the handle, as a real one does.
    calls.CloseHandle = [](HANDLE file) {
        if (!Fails("CloseHandle"))
            return real.CloseHandle(file);
        real.CloseHandle(file);
        ::SetLastError(static_cast<DWORD>(failWith));
        return FALSE;
    };
    calls.MoveFileExW = [](LPCWSTR from, LPCWSTR to, DWORD flags) {
        return Fails("MoveFileExW") ? FALSE : real.MoveFileExW(from, to, flags);
    };
}
#else
void InstallCountingCalls() {
    FileCalls& calls = CurrentFileCalls();
    calls.Open = [](const char* path, int flags, mode_t mode) {
        return Fails("Open") ? -1 : real.Open(path, flags, mode);
    };
    // A failing close still closes the descriptor, as a real one does.
    calls.Close = [](int fd) {
        if (!Fails("Close"))
            return real.Close(fd);
        real.Close(fd);
        errno = failWith;
        return -1;
    };
    calls.PRead = [](int fd, void* buffer, size_t size, off_t offset) {
        return Fails("PRead") ? ssize_t{-1} : real.PRead(fd, buffer, size, offset);
    };
    calls.PWrite = [](int fd, const void* buffer, size_t size, off_t offset) {
        return Fails("PWrite") ? ssize_t{-1} : real.PWrite(fd, buffer, size, offset);
    };
    calls.FTruncate = [](int fd, off_t length) { return Fails("FTruncate") ? -1 : real.FTruncate(fd, length); };
    calls.FSync = [](int fd) { return Fails("FSync") ? -1 : real.FSync(fd); };
    calls.FChmod = [](int fd, mode_t mode) { return Fails("FChmod") ? -1 : real.FChmod(fd, mode); };
    calls.Stat = [](const char* path, struct stat* st) { return Fails("Stat") ? -1 : real.Stat(path, st); };
    calls.LStat = [](const char* path, struct stat* st) { return Fails("LStat") ? -1 : real.LStat(path, st); };
    calls.FAccessAt = [](int folder, const char* path, int mode, int flags) {
        return Fails("FAccessAt") ? -1 : real.FAccessAt(folder, path, mode, flags);
    };
    calls.LinkAt = [](int fromFolder, const char* from, int toFolder, const char* to, int flags) {
        return Fails("LinkAt") ? -1 : real.LinkAt(fromFolder, from, toFolder, to, flags);
    };
    calls.Rename = [](const char* from, const char* to) { return Fails("Rename") ? -1 : real.Rename(from, to); };
    calls.FChown = [](int fd, uid_t owner, gid_t group) { return Fails("FChown") ? -1 : real.FChown(fd, owner, group); };
    calls.FStat = [](int fd, struct stat* st) { return Fails("FStat") ? -1 : real.FStat(fd, st); };
    calls.ReadLink = [](const char* path, char* buffer, size_t size) {
        return Fails("ReadLink") ? ssize_t{-1} : real.ReadLink(path, buffer, size);
    };
    calls.Dup = [](int fd) { return Fails("Dup") ? -1 : real.Dup(fd); };
    calls.Flock = [](int fd, int operation) { return Fails("Flock") ? -1 : real.Flock(fd, operation); };
    calls.CopyAcl = [](const char* fromPath, int from, const char* toPath, int to) {
        return Fails("CopyAcl") ? -1 : real.CopyAcl(fromPath, from, toPath, to);
    };
    calls.CopyAttributes = [](const char* fromPath, int from, const char* toPath, int to) {
        return Fails("CopyAttributes") ? -1 : real.CopyAttributes(fromPath, from, toPath, to);
    };
    calls.OpenAt = [](int folder, const char* path, int flags, mode_t mode) {
        return Fails("OpenAt") ? -1 : real.OpenAt(folder, path, flags, mode);
    };
    calls.ReadDir = [](DIR* folder) { return Fails("ReadDir") ? nullptr : real.ReadDir(folder); };
}
#endif

} // namespace

void FailNthOperation(int n, int errorCode) {
    InstallCountingCalls();
    failAt = n;
    failWith = errorCode;
    count = 0;
    names.clear();
}

int OperationCount() {
    return count;
}

const std::vector<std::string>& OperationNames() {
    return names;
}

void AllowUnnamedTemporaries(bool allow) {
    CurrentFileCalls().UnnamedTemporaries = allow;
}

} // namespace files::testing
