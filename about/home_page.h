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

// What hands a zero-terminated address to a handler; false, or an error thrown, when it could not.
using TAddressOpener = std::function<bool(const char* address)>;

// Hands the address (cut to 79 characters) once to open. Shows nothing and throws nothing; returns
// false when it could not be opened, so the caller can tell the user.
bool OpenWebPage(std::string_view address, const TAddressOpener& open);

// The same with the system's default handler for the address: the Windows shell's default action,
// elsewhere Qt's desktop services (no program for web addresses, for one, makes it false).
bool OpenWebPage(std::string_view address);

} // namespace about
