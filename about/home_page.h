// The program's home page and handing a web address to the system.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace about {

// The project's page; the address buffer OpenWebPage fills holds 79 characters and the zero.
inline constexpr std::string_view kHomePageAddress = "https://codeberg.org/quarnel/quarnel";
inline constexpr std::size_t kAddressBufferSize = 80;
static_assert(kHomePageAddress.size() < kAddressBufferSize);

// Hands the address (cut to 79 characters) once to the system's default handler for it: the Windows
// shell's default action, elsewhere Qt's desktop services. Shows nothing and throws nothing; returns
// false when the system said it could not open the address (no program for web addresses, for one),
// so the caller can tell the user.
bool OpenWebPage(std::string_view address);

// What OpenWebPage calls with the zero-terminated address. Tests replace it; an empty function puts
// back the system's handler. A handler reports a failure by throwing.
using TWebPageHandler = std::function<void(const char* address)>;
void SetWebPageHandler(TWebPageHandler handler);

} // namespace about
