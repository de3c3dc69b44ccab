// Windows side of the file calls: wide-character paths, error texts from Windows error codes.
#include "file_system.h"

#include "file_calls.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
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
        length =
            Calls().GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    Calls().CloseHandle(handle);
    if (length == 0 || length >= buffer.size())
        return path;
    buffer.resize(length);
    return std::filesystem::path(buffer);
}

// Temporaries are named "~quarnel.<process id>-<attempt>.tmp", attempt 0 to 99. A running save
// holds its temporary open sharing nothing, so no one else can open it; one that can be opened,
// whose process has ended and which has not changed for longer than any save takes is what a
// killed save left behind.
constexpr std::wstring_view kTemporaryPrefix = L"~quarnel.";
constexpr std::wstring_view kTemporarySuffix = L".tmp";
constexpr unsigned kTemporaryAttempts = 100;
// A process id says nothing of a save on another machine that writes into the same shared folder:
// only a temporary left alone this long is surely no running save's.
constexpr std::uint64_t kLeftoverAge = 10ull * 60 * 10'000'000; // in 100-nanosecond steps

std::wstring TemporaryName(DWORD process, unsigned attempt) {
    return std::wstring(kTemporaryPrefix) + std::to_wstring(process) + L"-" + std::to_wstring(attempt) +
           std::wstring(kTemporarySuffix);
}

// A number as to_wstring writes it: digits only, no leading zero. False for anything else.
bool ReadNumber(std::wstring_view digits, std::uint64_t limit, std::uint64_t& number) {
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits[0] == L'0'))
        return false;
    number = 0;
    for (const wchar_t digit : digits) {
        if (digit < L'0' || digit > L'9')
            return false;
        number = number * 10 + static_cast<std::uint64_t>(digit - L'0');
    }
    return number <= limit;
}

// True only for the exact names this program gives its temporaries: a file of the user's whose name
// merely begins or ends the same way is never one. Sets process to the id the name carries.
bool IsTemporaryName(std::wstring_view name, DWORD& process) {
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix))
        return false;
    name =
        name.substr(kTemporaryPrefix.size(), name.size() - kTemporaryPrefix.size() - kTemporarySuffix.size());
    const std::size_t dash = name.find(L'-');
    std::uint64_t id = 0;
    std::uint64_t attempt = 0;
    if (dash == std::wstring_view::npos || !ReadNumber(name.substr(0, dash), 0xFFFFFFFFu, id) ||
        !ReadNumber(name.substr(dash + 1), kTemporaryAttempts - 1, attempt))
        return false;
    process = static_cast<DWORD>(id);
    return true;
}

// True when the process may still be running: it runs, or the system will not say.
bool OwnerMayRun(DWORD process) {
    const HANDLE handle = Calls().OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (handle == nullptr)
        return ::GetLastError() != ERROR_INVALID_PARAMETER; // no process has that id
    DWORD exitCode = 0;
    const bool ended = Calls().GetExitCodeProcess(handle, &exitCode) && exitCode != STILL_ACTIVE;
    Calls().CloseHandle(handle);
    return !ended;
}

std::uint64_t Ticks(const LARGE_INTEGER& time) {
    return static_cast<std::uint64_t>(time.QuadPart);
}

// True when the file has not been made, written or changed for kLeftoverAge. A time that cannot be
// read, or one in the future, keeps the file.
bool LeftAlone(const FILE_BASIC_INFO& info) {
    FILETIME now{};
    Calls().GetSystemTimeAsFileTime(&now);
    const std::uint64_t nowTicks = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    const std::uint64_t latest =
        std::max({Ticks(info.CreationTime), Ticks(info.LastWriteTime), Ticks(info.ChangeTime)});
    return latest <= nowTicks && nowTicks - latest > kLeftoverAge;
}

// Removes what killed saves left in the folder. Never fails the save that calls it: a temporary it
// cannot open is a running save's, or someone else's to clear.
void RemoveLeftovers(const std::filesystem::path& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = Calls().FindFirstFileW(
        (folder / std::wstring(kTemporaryPrefix)).wstring().append(L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::wstring> names;
    do {
        DWORD process = 0;
        if (IsTemporaryName(found.cFileName, process) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !OwnerMayRun(process))
            names.emplace_back(found.cFileName);
    } while (Calls().FindNextFileW(search, &found));
    Calls().FindClose(search);

    for (const std::wstring& name : names) {
        // Opened sharing nothing, so that no save can be writing it, and as itself, not as what a
        // link leads to; deleted through that same handle, so it is the file that was looked at.
        const HANDLE leftover =
            Calls().CreateFileW((folder / name).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (leftover == INVALID_HANDLE_VALUE)
            continue;
        FILE_BASIC_INFO info{};
        if (Calls().GetFileInformationByHandleEx(leftover, FileBasicInfo, &info, sizeof info) &&
            !(info.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
            LeftAlone(info)) {
            FILE_DISPOSITION_INFO dispose{};
            dispose.DeleteFile = TRUE;
            Calls().SetFileInformationByHandle(leftover, FileDispositionInfo, &dispose, sizeof dispose);
        }
        Calls().CloseHandle(leftover);
    }
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
    const HANDLE file = Calls().CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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

bool ProcessMayRun(long process) {
    return OwnerMayRun(static_cast<DWORD>(process));
}

// New files take the folder's rights on Windows, whatever access asks.
FileStamp ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, NewFileAccess) {
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
    for (unsigned attempt = 0; attempt < kTemporaryAttempts && file == INVALID_HANDLE_VALUE; ++attempt) {
        // The name does not grow with the target's, so the longest names the system allows can be saved.
        temporary = (folder / TemporaryName(::GetCurrentProcessId(), attempt)).wstring();
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
    FileStamp stamp;
    try {
        stamp = StampOf(target);
        stamp.Content.assign(bytes.begin(), bytes.end());
    } catch (const EInOutError&) {
        stamp = {};
    }
    RemoveLeftovers(folder);
    return stamp;
}

} // namespace files
