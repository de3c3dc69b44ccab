// Opening the home page with the system's default handler.
#include "home_page.h"

#include <algorithm>
#include <array>

#ifdef _WIN32
// shellapi.h needs the types that windows.h declares.
#include <windows.h>

#include <shellapi.h>
#else
#include <QDesktopServices>
#include <QString>
#include <QUrl>
#endif

namespace about {

namespace {

bool SystemOpen(const char* address) {
#ifdef _WIN32
    // No owner, the default verb, no parameters, no working folder. The shell answers a value above 32
    // when it started something for the address.
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, nullptr, address, nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
#else
    return QDesktopServices::openUrl(QUrl(QString::fromLocal8Bit(address)));
#endif
}

} // namespace

bool OpenWebPage(std::string_view address) {
    return OpenWebPage(address, SystemOpen);
}

bool OpenWebPage(std::string_view address, const TAddressOpener& open) {
    std::array<char, kAddressBufferSize> buffer{};
    std::copy_n(address.begin(), std::min(address.size(), buffer.size() - 1), buffer.begin());
    try {
        return open(buffer.data());
    } catch (...) {
        // Whatever went wrong, the editor carries on as it was; the caller decides what to tell.
        return false;
    }
}

} // namespace about
