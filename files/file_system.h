// The operating system's file calls that the skirmish file needs, behind one small interface
// with a POSIX side and a Windows side.
#pragma once

#include "file_error.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace files {

// What tells one state of a file on disk from another: which file the name leads to, its length,
// its times, and the bytes this program last read from it or wrote into it. A program can put the
// modification time back (touch -r), a file made again may get the old inode, and on a file system
// with one-second times two saves in one second look alike; the change time cannot be set, and the
// bytes themselves tell every change of what a mission holds.
struct FileStamp {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Identity = 0; // the inode, or Windows' file index
    std::uintmax_t Size = 0;
    std::int64_t ModifiedSeconds = 0;
    std::int64_t ModifiedNanoseconds = 0;
    std::int64_t ChangedSeconds = 0; // the inode's change time; Windows keeps none here
    std::int64_t ChangedNanoseconds = 0;
    std::vector<std::uint8_t> Content; // the file's first bytes as last read or written
    bool operator==(const FileStamp&) const = default;
};

// What reading the start of a file found.
struct FilePrefix {
    std::size_t BytesRead = 0;   // a short file is not an error
    std::uintmax_t FileSize = 0; // the whole file's length, which may be more than was read
    FileStamp Stamp;             // the file that was read, as it was when read
};

// Opens a regular file for reading only and reads at most buffer.size() bytes from its start.
// Anything else (a pipe, socket or device, also through a link) is refused without being read,
// and nothing waits on it. Raises EInOutError.
FilePrefix ReadFilePrefix(const std::filesystem::path& path, std::span<std::uint8_t> buffer);

// The file a path leads to (following symbolic links) as it is now; Exists is false when there is
// none. Raises EInOutError when the system cannot tell.
FileStamp StampOf(const std::filesystem::path& path);

// True when the file at path is not the one the stamp describes as it was then: gone, another
// file, another length or time, or other bytes where the stamp knows them. A file that cannot be
// looked at counts as changed.
bool ChangedSince(const std::filesystem::path& path, const FileStamp& stamp);

// Replaces the regular file at path (following symbolic links), or creates it, with bytes, and
// returns the saved file's stamp.
//
// The new bytes go to a temporary file in the same folder that takes the file's mode, owner and
// group, ACL and extended attributes; once it is complete and flushed it is renamed over the
// target and the folder is flushed. On a failure before the rename the target is left exactly as
// it was, and no temporary remains. Where the new file could not carry everything the old one had
// (an owner or group the user may not give, a second name through a hard link) or the rename is
// refused (a sticky folder, a bind mount, a folder the user may not write), the file is written in
// place instead, and its first bytes and length are put back when that fails. A later save into
// the same folder removes the temporaries that killed saves left behind. Raises EInOutError.
// A file made new gets the usual mode the user's umask allows, or (OwnerOnly) is for its owner
// alone from the start; on Windows it takes its folder's rights either way.
enum class NewFileAccess { Usual, OwnerOnly };
FileStamp ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                      NewFileAccess access = NewFileAccess::Usual);

// True when the process with this id may still be running: it runs, or the system will not say.
bool ProcessMayRun(long process);

// The text shown for a system error number of this platform.
std::string ErrorText(int errorCode, const std::filesystem::path& path);

} // namespace files
