// Shared helpers of the tests: temporary folders, file bytes, and running code in a child
// process (to drop privileges or set resource limits without touching the test runner).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed);
// The names of the entries of a folder, sorted, in the system's own string type.
std::vector<std::filesystem::path::string_type> FilesIn(const std::filesystem::path& folder);

#ifndef _WIN32
// Runs body in a forked child and returns the text it returned (or "crashed" if it died).
std::string RunInChild(const std::function<std::string()>& body);

// The user id of nobody, for tests that must run without root's privileges.
inline constexpr unsigned kUnprivilegedUser = 65534;
#endif

} // namespace testsupport
