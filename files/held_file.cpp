#include "held_file.h"

#include <utility>

namespace files {

HeldFile::HeldFile(HeldFile&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_), held_(std::exchange(other.held_, false)) {}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        Release();
        path_ = std::move(other.path_);
        handle_ = other.handle_;
        held_ = std::exchange(other.held_, false);
    }
    return *this;
}

HeldFile::~HeldFile() {
    Release();
}

} // namespace files
