// Windows side of the file calls: wide-character paths, error texts from Windows error codes.
#include "file_system.h"

#include "errors.h"
#include "file_calls.h"

#include <string>
#include <windows.h>

// <windows.h> maps ReplaceFile to the system's ReplaceFileW; ours is the one declared in file_system.h.
#undef ReplaceFile

namespace mission::files {

namespace {

FileCalls& Calls() {
    return CurrentFileCalls();
}

[[noreturn]] void Raise(DWORD errorCode, const std::filesystem::path& path) {
    throw EInOutError(ErrorText(static_cast<int>(errorCode), path), static_cast<int>(errorCode));
}

// A save through a symbolic link replaces the file it points to.
std::filesystem::path ResolveLinks(const std::filesystem::path& path) {
    const HANDLE handle =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return path;
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    ::CloseHandle(handle);
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
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
        ::CloseHandle(file);
        Raise(ERROR_ACCESS_DENIED, path);
    }
    FilePrefix read;
    read.FileSize = static_cast<std::uintmax_t>(size.QuadPart);
    while (read.BytesRead < buffer.size()) {
        DWORD count = 0;
        if (!Calls().ReadFile(file, buffer.data() + read.BytesRead,
                              static_cast<DWORD>(buffer.size() - read.BytesRead), &count, nullptr)) {
            const DWORD error = ::GetLastError();
            ::CloseHandle(file);
            Raise(error, path);
        }
        if (count == 0)
            break;
        read.BytesRead += count;
    }
    ::CloseHandle(file);
    return read;
}

void ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target = ResolveLinks(path);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : L".";

    const DWORD folderAttributes = ::GetFileAttributesW(folder.c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES || !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
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
        ::SetFileAttributesW(temporary.c_str(), attributes & ~FILE_ATTRIBUTE_NORMAL);
    if (error == ERROR_SUCCESS && (!Calls().MoveFileExW(temporary.c_str(), target.c_str(),
                                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS) {
        ::DeleteFileW(temporary.c_str());
        Raise(error, target);
    }
}

} // namespace mission::files
