// Install-path lookup. For now no system is asked; the editor starts its dialogs where they
// would start by default.
#include "install_path.h"

namespace platform {

std::string ReadInstallPath() { return {}; }

} // namespace platform
