// libFuzzer target: any text, read as a Wine prefix's system.reg, as Steam's libraryfolders.vdf or
// as a Windows path in a prefix with a crowded drive C, is read without a crash, a hang or a leak,
// and what comes back is well formed. The bounded run limits the time of each input.
#include "install_path.h"
#include "wine_prefixes.h"
#include "wine_registry.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using platform::wine::RegistryValue;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_wine_registry: %s\n", what);
        std::abort();
    }
}

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : (lead >> 5) == 6  ? 2
                                   : (lead >> 4) == 14 ? 3
                                   : (lead >> 3) == 30 ? 4
                                                       : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

RegistryValue Read(const std::string& text) {
    std::istringstream in(text);
    const RegistryValue value =
        platform::wine::ReadRegistryValue(in, platform::kInstallKey, platform::kInstallValue);
    Require(value.Found == RegistryValue::State::String || value.Text.empty(), "text without a string");
    Require(IsUtf8(value.Text), "text that is not UTF-8");
    return value;
}

// A prefix whose drive C is crowded enough that searching it again for every part of a path runs
// past the time bound, with a folder to find in another case and a link back to drive C itself. It
// is kept in the temporary folder for the next run (libFuzzer ends without running exit handlers;
// ctest gives the target a temporary folder of its own in the build folder) and made whole under
// another name first, so that two runs at once find it complete.
const std::filesystem::path& CrowdedPrefix() {
    static const std::filesystem::path prefix = [] {
        namespace fs = std::filesystem;
        const fs::path kept = fs::temp_directory_path() / "quarnel-fuzz-crowded-prefix-1000";
        if (fs::exists(kept / "drive_c/loop"))
            return kept;
        std::string pattern = (fs::temp_directory_path() / "quarnel-fuzz-XXXXXX").string();
        Require(::mkdtemp(pattern.data()) != nullptr, "cannot make a folder");
        const fs::path made = pattern;
        fs::create_directories(made / "drive_c/Game/Skirmish");
        for (int i = 0; i < 1000; ++i)
            ::close(
                ::open((made / "drive_c" / ("entry" + std::to_string(i))).c_str(), O_CREAT | O_WRONLY, 0644));
        fs::create_directory_symlink(".", made / "drive_c/loop");
        if (::rename(made.c_str(), kept.c_str()) != 0) {
            std::error_code ignored;
            fs::remove_all(made, ignored);
        }
        Require(fs::exists(kept / "drive_c/loop"), "cannot make the crowded prefix");
        return kept;
    }();
    return prefix;
}

void MapPath(const std::string& windowsPath) {
    const auto mapped = platform::wine::MapWindowsPath(CrowdedPrefix(), windowsPath);
    Require(!mapped || mapped->string().starts_with((CrowdedPrefix() / "drive_c").string()),
            "a path mapped outside its drive");
}

} // namespace

// The crowded prefix is made before the first input, whose time is bounded.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CrowdedPrefix();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The input as a whole file, and behind a valid first line so that every input gets past it.
    const RegistryValue whole = Read(text);
    Require(Read(text) == whole, "two readings differ");
    Read("WINE REGISTRY Version 2\n" + text);

    for (const std::string& library : platform::wine::ParseLibraryFolders(text))
        Require(library.size() <= text.size(), "a library longer than its file");

    MapPath(text);
    MapPath("C:\\" + text);
    return 0;
}
