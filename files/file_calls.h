// The system calls the file layer makes, in one table that tests may fill with doubles. The table
// starts out with the system's own calls; the layer makes no file call around it (it asks the
// system directly only its process id and SIGXFSZ's disposition).
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#endif

namespace files {

#ifdef _WIN32
struct FileCalls {
    decltype(&::CreateFileW) CreateFileW = ::CreateFileW;
    decltype(&::ReadFile) ReadFile = ::ReadFile;
    decltype(&::GetFileAttributesW) GetFileAttributesW = ::GetFileAttributesW;
    decltype(&::SetFileAttributesW) SetFileAttributesW = ::SetFileAttributesW;
    decltype(&::GetFileType) GetFileType = ::GetFileType;
    decltype(&::GetFileInformationByHandle) GetFileInformationByHandle = ::GetFileInformationByHandle;
    decltype(&::GetFinalPathNameByHandleW) GetFinalPathNameByHandleW = ::GetFinalPathNameByHandleW;
    decltype(&::WriteFile) WriteFile = ::WriteFile;
    decltype(&::FlushFileBuffers) FlushFileBuffers = ::FlushFileBuffers;
    decltype(&::CloseHandle) CloseHandle = ::CloseHandle;
    decltype(&::MoveFileExW) MoveFileExW = ::MoveFileExW;
    decltype(&::DeleteFileW) DeleteFileW = ::DeleteFileW;
    decltype(&::FindFirstFileW) FindFirstFileW = ::FindFirstFileW;
    decltype(&::FindNextFileW) FindNextFileW = ::FindNextFileW;
    decltype(&::FindClose) FindClose = ::FindClose;
    decltype(&::GetFileInformationByHandleEx) GetFileInformationByHandleEx = ::GetFileInformationByHandleEx;
    decltype(&::SetFileInformationByHandle) SetFileInformationByHandle = ::SetFileInformationByHandle;
    // Whether the process a leftover temporary's name gives still runs.
    decltype(&::OpenProcess) OpenProcess = ::OpenProcess;
    decltype(&::GetExitCodeProcess) GetExitCodeProcess = ::GetExitCodeProcess;
    // The time now, against which the age of a leftover temporary is told.
    decltype(&::GetSystemTimeAsFileTime) GetSystemTimeAsFileTime = ::GetSystemTimeAsFileTime;
    // False makes saves behave as where no unnamed temporary files exist.
    bool UnnamedTemporaries = true;
};
#else
struct FileCalls {
    int (*Open)(const char* path, int flags, mode_t mode) = nullptr;
    int (*OpenAt)(int folder, const char* path, int flags, mode_t mode) = nullptr;
    int (*Close)(int fd) = nullptr;
    int (*Dup)(int fd) = nullptr;
    ssize_t (*PRead)(int fd, void* buffer, size_t count, off_t offset) = nullptr;
    ssize_t (*PWrite)(int fd, const void* buffer, size_t count, off_t offset) = nullptr;
    int (*FTruncate)(int fd, off_t length) = nullptr;
    int (*FSync)(int fd) = nullptr;
    int (*FChmod)(int fd, mode_t mode) = nullptr;
    int (*FChown)(int fd, uid_t owner, gid_t group) = nullptr;
    int (*FStat)(int fd, struct stat* st) = nullptr;
    int (*FStatAt)(int folder, const char* path, struct stat* st, int flags) = nullptr;
    int (*Stat)(const char* path, struct stat* st) = nullptr;
    int (*LStat)(const char* path, struct stat* st) = nullptr;
    ssize_t (*ReadLink)(const char* path, char* buffer, size_t size) = nullptr;
    int (*FAccessAt)(int folder, const char* path, int mode, int flags) = nullptr;
    int (*LinkAt)(int fromFolder, const char* from, int toFolder, const char* to, int flags) = nullptr;
    int (*Rename)(const char* from, const char* to) = nullptr;
    int (*Unlink)(const char* path) = nullptr;
    int (*UnlinkAt)(int folder, const char* path, int flags) = nullptr;
    int (*Flock)(int fd, int operation) = nullptr;
    mode_t (*Umask)(mode_t mask) = nullptr;
    int (*Kill)(pid_t process, int signal) = nullptr;
    // The time now, against which the age of a leftover temporary is told.
    int (*ClockGetTime)(clockid_t clock, struct timespec* now) = nullptr;
    // The old file's ACL and its other extended attributes onto the new one (libacl's perm_copy_fd
    // and libattr's attr_copy_fd): 0, or -1 with errno set.
    int (*CopyAcl)(const char* fromPath, int from, const char* toPath, int to) = nullptr;
    int (*CopyAttributes)(const char* fromPath, int from, const char* toPath, int to) = nullptr;
    DIR* (*FdOpenDir)(int fd) = nullptr;
    struct dirent* (*ReadDir)(DIR* folder) = nullptr;
    int (*CloseDir)(DIR* folder) = nullptr;
    // False makes saves behave as on a file system without unnamed temporary files.
    bool UnnamedTemporaries = true;
};
#endif

// The system's own calls.
FileCalls SystemFileCalls();

// The calls the file layer makes; a test may replace them and must put SystemFileCalls() back.
FileCalls& CurrentFileCalls();

} // namespace files
