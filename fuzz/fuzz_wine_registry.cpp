// libFuzzer target: any text, read as a Wine prefix's system.reg, as Steam's libraryfolders.vdf or
// as a Windows path in a prefix with a crowded drive C, is read without a crash, a hang or a leak,
// and what comes back is well formed. The bounded run limits the time of each input.
#include "install_path.h"
#include "wine_prefixes.h"
#include "wine_registry.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

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

// A prefix whose drive C holds as many entries as a folder is searched through, a folder to find in
// another case, and a link back to drive C itself; made once, removed at exit.
const std::filesystem::path& CrowdedPrefix() {
    static const std::filesystem::path prefix = [] {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "quarnel-fuzz-XXXXXX").string();
        Require(::mkdtemp(pattern.data()) != nullptr, "cannot make a folder");
        const fs::path made = pattern;
        fs::create_directories(made / "drive_c/Game/Skirmish");
        fs::create_directory_symlink(".", made / "drive_c/loop");
        for (int i = 0; i < 10000; ++i)
            std::ofstream(made / "drive_c" / ("entry" + std::to_string(i)));
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(CrowdedPrefix(), ignored);
        });
        return made;
    }();
    return prefix;
}

void MapPath(const std::string& windowsPath) {
    const auto mapped = platform::wine::MapWindowsPath(CrowdedPrefix(), windowsPath);
    Require(!mapped || mapped->string().starts_with((CrowdedPrefix() / "drive_c").string()),
            "a path mapped outside its drive");
}

} // namespace

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
