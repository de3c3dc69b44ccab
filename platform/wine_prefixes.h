// Finding the game in Wine prefixes: where the prefixes are (Wine's own, Steam's Proton prefix of
// the game in each Steam library), and how a Windows path of a prefix maps to a folder here.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::wine {

// The game's Steam app id: Proton keeps its prefix in steamapps/compatdata/<id>/pfx.
inline constexpr std::string_view kSteamAppId = "361670";
// Libraries beyond the Steam roots that are looked at, however many libraryfolders.vdf lists.
inline constexpr std::size_t kMaxSteamLibraries = 8;
// libraryfolders.vdf files larger than this are not read.
inline constexpr std::uintmax_t kMaxLibraryFileBytes = 1u << 20;
// Windows paths of more parts than this map to nothing; a real install path has a handful.
inline constexpr std::size_t kMaxWindowsPathParts = 256;

// The library folders a Steam libraryfolders.vdf lists, in its order: both the old format
// ("1" "/path" pairs) and the current one ("0" { "path" "/path" ... } blocks).
std::vector<std::string> ParseLibraryFolders(std::string_view vdf);

// Where the lookup starts: the home folder and the WINEPREFIX setting (either may be empty).
struct WineEnvironment {
    std::filesystem::path Home;
    std::filesystem::path WinePrefix;
};

// The prefixes to look in, each once, in order: $WINEPREFIX, ~/.wine, then the game's Proton prefix
// in each Steam root (~/.steam/steam, ~/.steam/root, ~/.local/share/Steam and Flatpak's) and in
// the libraries their libraryfolders.vdf lists. Only prefixes with a system.reg are returned.
std::vector<std::filesystem::path> CandidatePrefixes(const WineEnvironment& environment);

// The folder here that a Windows path ("C:\Program Files (x86)\Game", with \ or / separators)
// names in a prefix: the drive through dosdevices/<letter>: (drive_c for C: when that link is
// missing), then each part matched without regard to case. Parts that do not exist are kept as
// written. Nothing for a path without a drive letter, with a drive the prefix lacks, or of more
// than kMaxWindowsPathParts parts.
std::optional<std::filesystem::path> MapWindowsPath(const std::filesystem::path& prefix,
                                                    std::string_view windowsPath);

// The game's install folder from the prefixes of CandidatePrefixes: the first that names an
// existing folder, otherwise the first path found. Raises ERegistryError when no prefix gives a
// path and one holds the value as something other than a string.
std::string FindInstallPath(const WineEnvironment& environment);

// The entry of folder whose name is name without regard to (ASCII) case, preferring the exact
// spelling; nothing if there is none.
std::optional<std::filesystem::path> FindEntryIgnoringCase(const std::filesystem::path& folder,
                                                           std::string_view name);

} // namespace platform::wine
