// Copies of unsaved work as an editor that is gone left them, for the tests of the recovery folder
// and the recovery window.
#pragma once

#include "recovery_folder.h"
#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace testsupport {

// The id of a process that has just ended.
inline long EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// Writes bytes under the name of a copy whose editor has ended (letters: eight small letters),
// with its time set back by age seconds; returns the copy's path.
inline std::filesystem::path LeaveCopyBytes(const std::filesystem::path& folder, const std::vector<std::uint8_t>& bytes,
                                            const std::string& letters = "abcdefgh", int age = 0) {
    const std::filesystem::path path = folder / (std::to_string(EndedProcess()) + "-" + letters + ".recovery");
    WriteBytes(path, bytes);
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) - std::chrono::seconds(age));
    return path;
}

inline std::filesystem::path LeaveCopy(const std::filesystem::path& folder, const document::TRecoveryCopy& copy,
                                       const std::string& letters = "abcdefgh", int age = 0) {
    return LeaveCopyBytes(folder, document::EncodeRecoveryCopy(copy), letters, age);
}

} // namespace testsupport
