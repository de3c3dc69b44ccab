// The error of a registry value of the wrong type, shared by every system's lookup.
#include "install_path.h"

namespace platform {

ERegistryError::ERegistryError(const std::string& valueName)
    : text::EUserError("Invalid data type for '" + valueName + "'") {}

} // namespace platform
