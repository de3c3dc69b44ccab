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

void SystemOpen(const char* address) {
#ifdef _WIN32
    // No owner, the default verb, no parameters, no working folder; the result says nothing we act on.
    ShellExecuteA(nullptr, nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
#else
    QDesktopServices::openUrl(QUrl(QString::fromLocal8Bit(address)));
#endif
}

WebPageHandler& Handler() {
    static WebPageHandler handler;
    return handler;
}

} // namespace

void SetWebPageHandler(WebPageHandler handler) {
    Handler() = std::move(handler);
}

void OpenWebPage(std::string_view address) {
    std::array<char, kAddressBufferSize> buffer{};
    std::copy_n(address.begin(), std::min(address.size(), buffer.size() - 1), buffer.begin());
    try {
        if (Handler()) {
            Handler()(buffer.data());
        } else {
            SystemOpen(buffer.data());
        }
    } catch (...) {
        // A page that cannot be opened is not worth a message: the editor carries on as it was.
    }
}

} // namespace about
