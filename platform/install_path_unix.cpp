// The install path on systems without a registry: the game installed under Wine or Proton.
#include "install_path.h"

#include "wine_prefixes.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
        return user->pw_dir;
    return {};
}

} // namespace

std::string ReadInstallPath() {
    const char* prefix = std::getenv("WINEPREFIX");
    return wine::FindInstallPath({HomeFolder(), prefix ? prefix : ""});
}

std::string SkirmishFolder(const std::string& installPath) {
    if (installPath.empty())
        return {};
    const auto folder = wine::FindEntryIgnoringCase(installPath, "Skirmish");
    std::error_code error;
    return folder && std::filesystem::is_directory(*folder, error) ? folder->string() : std::string();
}

} // namespace platform
