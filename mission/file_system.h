// The operating system's file calls that the skirmish file needs, behind one small interface
// with a POSIX side and a Windows side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace mission::files {

// Opens the file for reading and writing and reads at most buffer.size() bytes from its start.
// Returns the count read; a short file is not an error. Raises EInOutError.
std::size_t ReadFilePrefix(const std::filesystem::path& path, std::span<std::uint8_t> buffer);

// Replaces the file at path (following symbolic links) with bytes: writes a temporary file in
// the same folder, flushes it to disk, then renames it over the target. On any failure the
// temporary is removed and the target is left exactly as it was. Raises EInOutError.
void ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// The text shown for a system error number of this platform.
std::string ErrorText(int errorCode, const std::filesystem::path& path);

namespace testing {
// Makes the Nth file operation from now on fail with errorCode (0 turns this off), so tests can
// prove that every failure point of a save leaves the previous file alone.
void FailNthOperation(int n, int errorCode);
// The number of file operations made since the last FailNthOperation call.
int OperationCount();
} // namespace testing

} // namespace mission::files
