#include "held_file.h"

#include "file_calls.h"
#include "file_system.h"

#include <utility>
#include <windows.h>

namespace files {

std::optional<HeldFile> HeldFile::TryHold(const std::filesystem::path& path) {
    FileCalls& calls = CurrentFileCalls();
    // Shared for deleting only: nobody else opens it while it is held.
    const HANDLE handle = calls.CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            return std::nullopt;
        throw EInOutError(ErrorText(static_cast<int>(error), path), static_cast<int>(error));
    }
    return HeldFile(path, handle);
}

void HeldFile::Remove() {
    if (held_)
        CurrentFileCalls().DeleteFileW(path_.c_str());
    Release();
}

void HeldFile::Release() {
    if (std::exchange(held_, false))
        CurrentFileCalls().CloseHandle(handle_);
}

} // namespace files
