// Windows side of the file calls: wide-character paths, error texts from Windows error codes.
#include "file_system.h"

#include "file_calls.h"

#include <string>
#include <windows.h>

// <windows.h> maps ReplaceFile to the system's ReplaceFileW; ours is the one declared in file_system.h.
#undef ReplaceFile

namespace files {

namespace {

FileCalls& Calls() {
    return CurrentFileCalls();
}

[[noreturn]] void Raise(DWORD errorCode, const std::filesystem::path& path) {
    throw EInOutError(ErrorText(static_cast<int>(errorCode), path), static_cast<int>(errorCode));
}

FileStamp StampFrom(const BY_HANDLE_FILE_INFORMATION& info) {
    FileStamp stamp;
    stamp.Exists = true;
    stamp.Device = info.dwVolumeSerialNumber;
    stamp.Identity = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    stamp.Size = (std::uintmax_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    // In 100-nanosecond steps since 1601.
    const std::uint64_t written =
        (std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) | info.ftLastWriteTime.dwLowDateTime;
    stamp.ModifiedSeconds = static_cast<std::int64_t>(written / 10'000'000);
    stamp.ModifiedNanoseconds = static_cast<std::int64_t>(written % 10'000'000) * 100;
    return stamp;
}

// A save through a symbolic link replaces the file it points to.
std::filesystem::path ResolveLinks(const std::filesystem::path& path) {
    const HANDLE handle =
        Calls().CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return path;
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length =
        Calls().GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = Calls().GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    Calls().CloseHandle(handle);
    if (length == 0 || length >= buffer.size())
        return path;
    buffer.resize(length);
    return std::filesystem::path(buffer);
}

} // namespace

FileCalls SystemFileCalls() {
    return FileCalls{};
}

FileCalls& CurrentFileCalls() {
    static FileCalls calls;
    return calls;
}

std::string ErrorText(int errorCode, const std::filesystem::path&) {
    switch (errorCode) {
    case ERROR_FILE_NOT_FOUND:
        return "File not found";
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return "Invalid filename";
    case ERROR_TOO_MANY_OPEN_FILES:
        return "Too many open files";
    case ERROR_ACCESS_DENIED:
        return "File access denied";
    default:
        return "I/O error " + std::to_string(errorCode);
    }
}

FilePrefix ReadFilePrefix(const std::filesystem::path& path, std::span<std::uint8_t> buffer) {
    const HANDLE file = Calls().CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Raise(::GetLastError(), path);
    // Only files on disk are read: a pipe or device could wait for ever or never end.
    BY_HANDLE_FILE_INFORMATION info{};
    if (Calls().GetFileType(file) != FILE_TYPE_DISK || !Calls().GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Calls().CloseHandle(file);
        Raise(ERROR_ACCESS_DENIED, path);
    }
    FilePrefix read;
    read.Stamp = StampFrom(info);
    read.FileSize = read.Stamp.Size;
    while (read.BytesRead < buffer.size()) {
        DWORD count = 0;
        if (!Calls().ReadFile(file, buffer.data() + read.BytesRead,
                              static_cast<DWORD>(buffer.size() - read.BytesRead), &count, nullptr)) {
            const DWORD error = ::GetLastError();
            Calls().CloseHandle(file);
            Raise(error, path);
        }
        if (count == 0)
            break;
        read.BytesRead += count;
    }
    Calls().CloseHandle(file);
    read.Stamp.Content.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(read.BytesRead));
    return read;
}

FileStamp StampOf(const std::filesystem::path& path) {
    const HANDLE file =
        Calls().CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {};
        Raise(error, path);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = Calls().GetFileInformationByHandle(file, &info);
    const DWORD error = ::GetLastError();
    Calls().CloseHandle(file);
    if (!known)
        Raise(error, path);
    return StampFrom(info);
}

FileStamp ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target = ResolveLinks(path);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : L".";

    const DWORD folderAttributes = Calls().GetFileAttributesW(folder.c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        Raise(error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error, target);
    }
    if (!(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
        Raise(ERROR_PATH_NOT_FOUND, target);

    const DWORD attributes = Calls().GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        Raise(::GetLastError(), target);
    // Moving over a read-only file would replace it; refuse it as opening it for writing would.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        Raise(ERROR_ACCESS_DENIED, target);

    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        // The name does not grow with the target's, so the longest names the system allows can be saved.
        temporary = (folder / (L"~quarnel." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                               std::to_wstring(attempt) + L".tmp"))
                        .wstring();
        file = Calls().CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            Raise(::GetLastError(), target);
    }
    if (file == INVALID_HANDLE_VALUE)
        Raise(ERROR_FILE_EXISTS, target);

    DWORD error = ERROR_SUCCESS;
    std::size_t done = 0;
    while (error == ERROR_SUCCESS && done < bytes.size()) {
        DWORD written = 0;
        if (!Calls().WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                               nullptr))
            error = ::GetLastError();
        else if (written == 0)
            error = ERROR_WRITE_FAULT;
        done += written;
    }
    if (error == ERROR_SUCCESS && (!Calls().FlushFileBuffers(file)))
        error = ::GetLastError();
    if (!Calls().CloseHandle(file) && error == ERROR_SUCCESS)
        error = ::GetLastError();
    if (error == ERROR_SUCCESS && exists)
        Calls().SetFileAttributesW(temporary.c_str(), attributes & ~FILE_ATTRIBUTE_NORMAL);
    if (error == ERROR_SUCCESS && (!Calls().MoveFileExW(temporary.c_str(), target.c_str(),
                                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS) {
        Calls().DeleteFileW(temporary.c_str());
        Raise(error, target);
    }
    // The file is saved; a stamp that cannot be had only makes the next save ask first.
    try {
        FileStamp stamp = StampOf(target);
        stamp.Content.assign(bytes.begin(), bytes.end());
        return stamp;
    } catch (const EInOutError&) {
        return {};
    }
}

} // namespace files
