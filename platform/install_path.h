// Where the game is installed, as the system records it, and where the file dialogs start.
#pragma once

#include "user_error.h"

#include <string>

namespace platform {

// The game's key under HKEY_LOCAL_MACHINE and its value naming the install folder. The game's
// installer is a 32-bit program, so on 64-bit Windows the key lives in the registry's 32-bit view.
inline constexpr char kInstallKey[] = "Software\\LucasArts Entertainment Company LLC\\X-Wing Alliance\\V1.0";
inline constexpr char kInstallValue[] = "Install Path";

// The install value exists but does not hold a string: "Invalid data type for 'Install Path'".
class ERegistryError : public text::EUserError {
public:
    explicit ERegistryError(const std::string& valueName);
};

// The game's install folder in UTF-8, or an empty string when none is recorded (a missing key or
// value is not an error).
//
// Windows: the value from HKEY_LOCAL_MACHINE's 32-bit view, read-only. A string stored without
// its terminating zero reads as the whole string; an unexpanded string (REG_EXPAND_SZ) reads as
// it is stored, its %VARIABLES% left as they stand.
//
// Elsewhere: the same value from the registry files of Wine prefixes: $WINEPREFIX, ~/.wine, then
// the game's Proton prefix in each Steam library. The Windows path is mapped to the folder it
// names on this system; the first prefix whose path is an existing folder wins, otherwise the
// first path found is returned as it maps (or as stored, when its drive does not map).
//
// Raises ERegistryError when the value is there but is not a string (elsewhere: when no prefix
// gives a path and one holds such a value). Start-up then goes on with an empty install path;
// the error's text is for the standard error box.
std::string ReadInstallPath();

// The folder the open and save dialogs start in, for an install folder from ReadInstallPath.
//
// Windows: installPath followed directly by "\Skirmish", so an empty install path gives
// "\Skirmish", the Skirmish folder at the root of the current drive.
//
// Elsewhere: the install folder's Skirmish folder, its name matched without regard to case; an
// empty string when there is no such folder, meaning the dialogs start where they would by default.
std::string SkirmishFolder(const std::string& installPath);

} // namespace platform
