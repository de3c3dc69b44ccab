// A file this process holds for as long as it keeps the object: another process, or another
// HeldFile of this one, cannot hold it meanwhile, and the hold ends with the process however the
// process ends (an advisory lock on Linux, a file opened without sharing on Windows).
#pragma once

#include <filesystem>
#include <optional>

namespace files {

class HeldFile {
public:
    // Creates the file when it is missing, and holds it; nothing when it is held already. Raises
    // EInOutError when the file can be neither made nor opened.
    static std::optional<HeldFile> TryHold(const std::filesystem::path& path);

    HeldFile(HeldFile&& other) noexcept;
    HeldFile& operator=(HeldFile&& other) noexcept;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile();

    const std::filesystem::path& Path() const { return path_; }
    // Removes the file, then lets it go.
    void Remove();

private:
#ifdef _WIN32
    using Handle = void*;
#else
    using Handle = int;
#endif
    HeldFile(std::filesystem::path path, Handle handle) : path_(std::move(path)), handle_(handle) {}
    void Release();

    std::filesystem::path path_;
    Handle handle_;
    bool held_ = true;
};

} // namespace files
