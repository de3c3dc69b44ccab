// The Wine and Proton prefixes the game may be installed in, and Windows paths inside them.
#include "wine_prefixes.h"

#include "ascii_case.h"
#include "install_path.h"
#include "wine_registry.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

namespace platform::wine {

namespace fs = std::filesystem;

namespace {

// Folders with more entries than this are not searched for a name in another case.
constexpr std::size_t kMaxFolderEntries = 10000;
// One lookup's mappings look at no more entries than this in all, whatever the paths, the folders
// and the number of prefixes.
constexpr std::size_t kMaxMappingEntries = 4 * kMaxFolderEntries;
// Deeper nesting in a libraryfolders.vdf is read past, not into.
constexpr std::size_t kMaxVdfDepth = 32;

bool SameName(std::string_view a, std::string_view b) {
    return platform::SameName(a, b);
}

bool IsDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

// The tokens of Valve's KeyValues text: quoted strings (with \\, \", \n and \t escapes), bare
// words, braces; // starts a comment.
class VdfTokens {
public:
    enum class Kind { End, Text, Open, Close };
    explicit VdfTokens(std::string_view text) : text_(text) {}

    Kind Next(std::string& token) {
        token.clear();
        for (;;) {
            while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ')
                ++pos_;
            if (text_.substr(pos_, 2) != "//")
                break;
            pos_ = text_.find('\n', pos_);
            if (pos_ == std::string_view::npos)
                pos_ = text_.size();
        }
        if (pos_ >= text_.size())
            return Kind::End;
        const char c = text_[pos_++];
        if (c == '{')
            return Kind::Open;
        if (c == '}')
            return Kind::Close;
        if (c != '"') {
            token.push_back(c);
            while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) > ' ' &&
                   std::string_view("{}\"").find(text_[pos_]) == std::string_view::npos)
                token.push_back(text_[pos_++]);
            return Kind::Text;
        }
        while (pos_ < text_.size() && text_[pos_] != '"') {
            char ch = text_[pos_++];
            if (ch == '\\' && pos_ < text_.size()) {
                ch = text_[pos_++];
                ch = ch == 'n' ? '\n' : ch == 't' ? '\t' : ch;
            }
            token.push_back(ch);
        }
        if (pos_ >= text_.size())
            return Kind::End; // an unterminated string ends the text
        ++pos_;
        return Kind::Text;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// The whole of a small regular file, or nothing: a file that cannot be read (a failing disk, a
// link into /proc) holds nothing rather than stopping the lookup.
std::string ReadSmallFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return {};
    const auto size = fs::file_size(path, error);
    if (error || size > kMaxLibraryFileBytes)
        return {};
    std::ifstream in(path, std::ios::binary);
    // Some files (those of /proc) report a size of 0 whatever they hold: read one byte past the
    // limit to tell a file that is too long.
    std::string text(kMaxLibraryFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad() || static_cast<std::size_t>(in.gcount()) > kMaxLibraryFileBytes)
        return {};
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// The entry of folder named name in any case, looking at no more entries than budget allows and
// taking what it looks at from the budget.
std::optional<fs::path> FindEntry(const fs::path& folder, std::string_view name, std::size_t& budget) {
    if (name.empty())
        return std::nullopt;
    if (Exists(folder / name))
        return folder / name;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    for (std::size_t count = 0;
         !error && entries != fs::directory_iterator() && count < kMaxFolderEntries && budget > 0;
         ++count, --budget) {
        // The entry's name straight from its path: a crowded folder is searched without copying.
        const std::string_view entry = entries->path().native();
        if (SameName(entry.substr(entry.rfind('/') + 1), name))
            return entries->path();
        entries.increment(error);
    }
    return std::nullopt;
}

// The same folder reached through another link counts once.
fs::path Identity(const fs::path& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? path.lexically_normal() : canonical;
}

} // namespace

std::vector<std::string> ParseLibraryFolders(std::string_view vdf) {
    std::vector<std::string> libraries;
    std::vector<std::string> keys; // the keys of the blocks we are in
    VdfTokens tokens(vdf);
    std::string key;
    std::string token;
    bool haveKey = false;
    for (;;) {
        const VdfTokens::Kind kind = tokens.Next(token);
        if (kind == VdfTokens::Kind::End)
            break;
        if (kind == VdfTokens::Kind::Open) {
            keys.push_back(haveKey ? key : std::string());
            haveKey = false;
        } else if (kind == VdfTokens::Kind::Close) {
            if (!keys.empty())
                keys.pop_back();
            haveKey = false;
        } else if (!haveKey) {
            key = token;
            haveKey = true;
        } else {
            // A key and its text value. Old files list "1" "/path" in the root block; new ones
            // have "path" "/path" inside a numbered block.
            haveKey = false;
            if (keys.empty() || keys.size() > kMaxVdfDepth || !SameName(keys.front(), "libraryfolders"))
                continue;
            if ((keys.size() == 1 && IsDigits(key)) ||
                (keys.size() == 2 && IsDigits(keys[1]) && SameName(key, "path")))
                libraries.push_back(token);
        }
    }
    return libraries;
}

std::vector<fs::path> CandidatePrefixes(const WineEnvironment& environment) {
    std::vector<fs::path> prefixes;
    std::vector<fs::path> seen;
    const auto add = [&](const fs::path& prefix) {
        if (!Exists(prefix / "system.reg"))
            return;
        fs::path identity = Identity(prefix);
        if (std::find(seen.begin(), seen.end(), identity) != seen.end())
            return;
        seen.push_back(std::move(identity));
        prefixes.push_back(prefix);
    };

    if (!environment.WinePrefix.empty())
        add(environment.WinePrefix);
    if (environment.Home.empty())
        return prefixes;
    add(environment.Home / ".wine");

    const fs::path& home = environment.Home;
    const fs::path roots[] = {home / ".steam/steam", home / ".steam/root", home / ".local/share/Steam",
                              home / ".var/app/com.valvesoftware.Steam/.local/share/Steam"};
    std::vector<fs::path> libraries;
    std::vector<fs::path> libraryIds;
    std::size_t listed = 0;
    const auto addLibrary = [&](const fs::path& library) {
        fs::path identity = Identity(library);
        if (std::find(libraryIds.begin(), libraryIds.end(), identity) != libraryIds.end())
            return false;
        libraryIds.push_back(std::move(identity));
        libraries.push_back(library);
        return true;
    };
    for (const fs::path& root : roots) {
        if (!IsFolder(root))
            continue;
        addLibrary(root);
        for (const std::string& listedLibrary :
             ParseLibraryFolders(ReadSmallFile(root / "steamapps/libraryfolders.vdf"))) {
            if (listed >= kMaxSteamLibraries)
                break;
            const fs::path library(listedLibrary);
            if (library.is_absolute() && addLibrary(library))
                ++listed;
        }
    }
    for (const fs::path& library : libraries)
        add(library / "steamapps/compatdata" / kSteamAppId / "pfx");
    return prefixes;
}

std::optional<fs::path> FindEntryIgnoringCase(const fs::path& folder, std::string_view name) {
    std::size_t budget = kMaxFolderEntries;
    return FindEntry(folder, name, budget);
}

namespace {

// MapWindowsPath, taking the folder entries it looks at from budget.
std::optional<fs::path> MapWindowsPath(const fs::path& prefix, std::string_view windowsPath,
                                       std::size_t& budget) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(windowsPath[0])))
        return std::nullopt;
    const char letter = FoldCase(windowsPath[0]);
    std::string_view rest = windowsPath.substr(2);
    if (!rest.empty() && rest.front() != '\\' && rest.front() != '/')
        return std::nullopt; // "C:Games" is relative to the drive's current folder

    fs::path folder;
    const fs::path link = prefix / "dosdevices" / (std::string(1, letter) + ":");
    std::error_code error;
    if (Exists(link))
        folder = fs::canonical(link, error);
    else if (letter == 'c' && IsFolder(prefix / "drive_c"))
        folder = prefix / "drive_c";
    else
        return std::nullopt;
    if (error)
        folder = link;

    // The work is bounded whatever the path: at most kMaxWindowsPathParts parts, ".." steps back
    // to the folder already found, and a name looked up once in a folder is not looked up again.
    struct Step {
        fs::path folder;
        bool existing;
    };
    std::vector<Step> steps{{folder, true}};
    struct Lookup {
        fs::path folder;
        std::string name;
        std::optional<fs::path> entry;
    };
    std::vector<Lookup> lookups;
    std::size_t parts = 0;
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (part.empty() || part == ".")
            continue;
        if (++parts > kMaxWindowsPathParts)
            return std::nullopt;
        if (part == "..") {
            if (steps.size() > 1)
                steps.pop_back();
            continue;
        }
        const Step& here = steps.back();
        std::optional<fs::path> entry;
        if (here.existing) {
            const auto known = std::find_if(lookups.begin(), lookups.end(), [&](const Lookup& lookup) {
                return lookup.folder == here.folder && SameName(lookup.name, part);
            });
            if (known != lookups.end()) {
                entry = known->entry;
            } else {
                entry = FindEntry(here.folder, part, budget);
                lookups.push_back({here.folder, std::string(part), entry});
            }
        }
        steps.push_back({entry ? *entry : here.folder / part, entry.has_value()});
    }
    return steps.back().folder;
}

} // namespace

std::optional<fs::path> MapWindowsPath(const fs::path& prefix, std::string_view windowsPath) {
    std::size_t budget = kMaxMappingEntries;
    return MapWindowsPath(prefix, windowsPath, budget);
}

std::string FindInstallPath(const WineEnvironment& environment) {
    // One budget for every prefix together, so that many crowded prefixes cannot hold up the start.
    ReadBudget readBudget;
    std::size_t entryBudget = kMaxMappingEntries;
    std::optional<std::string> firstPath;
    bool notAString = false;
    for (const fs::path& prefix : CandidatePrefixes(environment)) {
        const RegistryValue value =
            ReadRegistryFile(prefix / "system.reg", kInstallKey, kInstallValue, readBudget);
        if (value.Found == RegistryValue::State::NotAString)
            notAString = true;
        if (value.Found != RegistryValue::State::String)
            continue;
        const auto folder = MapWindowsPath(prefix, value.Text, entryBudget);
        if (folder && IsFolder(*folder))
            return folder->string();
        if (!firstPath)
            firstPath = folder ? folder->string() : value.Text;
    }
    if (firstPath)
        return *firstPath;
    if (notAString)
        throw ERegistryError(kInstallValue);
    return {};
}

} // namespace platform::wine
