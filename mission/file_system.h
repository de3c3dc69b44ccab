// The operating system's file calls that the skirmish file needs, behind one small interface
// with a POSIX side and a Windows side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace mission::files {

// What reading the start of a file found.
struct FilePrefix {
    std::size_t BytesRead = 0;   // a short file is not an error
    std::uintmax_t FileSize = 0; // the whole file's length, which may be more than was read
};

// Opens a regular file for reading only and reads at most buffer.size() bytes from its start.
// Anything else (a pipe, socket or device, also through a link) is refused without being read,
// and nothing waits on it. Raises EInOutError.
FilePrefix ReadFilePrefix(const std::filesystem::path& path, std::span<std::uint8_t> buffer);

// Replaces the regular file at path (following symbolic links), or creates it, with bytes: writes a
// temporary file in the same folder, flushes it to disk, then renames it over the target and
// flushes the folder. On a failure before the rename the target is left exactly as it was and no
// temporary remains. A file the user may write in a folder the user may not is written in place,
// and its old bytes are put back when that fails. Raises EInOutError.
void ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// The text shown for a system error number of this platform.
std::string ErrorText(int errorCode, const std::filesystem::path& path);

} // namespace mission::files
