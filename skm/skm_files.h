// The files quarnel-skm reads and writes, named as the user named them on the command line.
#pragma once

#include "mission_model.h"
#include "user_error.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace skm {

// A file could not be used: the text says why, File is the name as the user gave it.
class EFileError : public text::EUserError {
public:
    EFileError(std::string file, const std::string& message)
        : text::EUserError(message), File(std::move(file)) {}
    std::string File;
};

// The largest JSON text import reads: far more than any mission's export.
inline constexpr std::uintmax_t kMaxJsonSize = 16 * 1024 * 1024;

// A path from a command-line argument in UTF-8.
std::filesystem::path PathFromArgument(const std::string& argument);

struct TMissionFile {
    mission::TMission Mission;
    std::uintmax_t Size = 0; // the file's length, which may differ from 5192
};

// True when both names lead to one existing file, so that writing the output would overwrite the
// input; "-" is standard input as the input and standard output as the output, whatever file
// either is.
bool SameFile(const std::string& input, const std::string& output);

// The system's own text for an error number of the file layer ("No space left on device"), as
// command-line tools give it.
std::string SystemErrorText(int errorCode);

// Reads a mission through the mission library; only a regular file is read. Raises EFileError.
TMissionFile ReadMissionFile(const std::string& name);

// Replaces the file with the mission's bytes through the mission library's safe save; only a
// regular file is replaced. Raises EFileError.
void WriteMissionFile(const mission::TMission& mission, const std::string& name);

// The whole of a text file, or of standard input for "-"; only a regular file of at most
// kMaxJsonSize bytes is read. Raises EFileError.
std::string ReadTextFile(const std::string& name);

// Writes text to the file, or to standard output for "-". A file is replaced as a mission is
// saved: written beside it, and put in its place only once complete. Raises EFileError.
void WriteTextFile(const std::string& name, std::string_view text);

} // namespace skm
