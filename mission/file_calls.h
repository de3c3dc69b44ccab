// The system calls behind the file layer's failure points, in one table that tests may fill with
// doubles. The table starts out with the system's own calls.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/types.h>
#endif

namespace mission::files {

#ifdef _WIN32
struct FileCalls {
    decltype(&::CreateFileW) CreateFileW = ::CreateFileW;
    decltype(&::ReadFile) ReadFile = ::ReadFile;
    decltype(&::GetFileAttributesW) GetFileAttributesW = ::GetFileAttributesW;
    decltype(&::WriteFile) WriteFile = ::WriteFile;
    decltype(&::FlushFileBuffers) FlushFileBuffers = ::FlushFileBuffers;
    decltype(&::CloseHandle) CloseHandle = ::CloseHandle;
    decltype(&::MoveFileExW) MoveFileExW = ::MoveFileExW;
    // False makes saves behave as where no unnamed temporary files exist.
    bool UnnamedTemporaries = true;
};
#else
struct FileCalls {
    int (*Open)(const char* path, int flags, mode_t mode) = nullptr;
    int (*Close)(int fd) = nullptr;
    ssize_t (*PRead)(int fd, void* buffer, size_t count, off_t offset) = nullptr;
    ssize_t (*PWrite)(int fd, const void* buffer, size_t count, off_t offset) = nullptr;
    int (*FTruncate)(int fd, off_t length) = nullptr;
    int (*FSync)(int fd) = nullptr;
    int (*FChmod)(int fd, mode_t mode) = nullptr;
    int (*Stat)(const char* path, struct stat* st) = nullptr;
    int (*LStat)(const char* path, struct stat* st) = nullptr;
    int (*FAccessAt)(int folder, const char* path, int mode, int flags) = nullptr;
    int (*LinkAt)(int fromFolder, const char* from, int toFolder, const char* to, int flags) = nullptr;
    int (*Rename)(const char* from, const char* to) = nullptr;
    // False makes saves behave as on a file system without unnamed temporary files.
    bool UnnamedTemporaries = true;
};
#endif

// The system's own calls.
FileCalls SystemFileCalls();

// The calls the file layer makes; a test may replace them and must put SystemFileCalls() back.
FileCalls& CurrentFileCalls();

} // namespace mission::files
