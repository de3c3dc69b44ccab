// Where the game is installed, as the system records it.
#pragma once

#include <string>

namespace platform {

// The game's install folder, or an empty string when the system records none.
std::string ReadInstallPath();

} // namespace platform
