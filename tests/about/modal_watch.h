// Runs code inside a modal dialog's event loop, then closes the dialog.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace about_tests {

// Waits until a modal window is up, hands it to `inside`, then closes it. Gives up after five
// seconds, so a box that never shows fails the test instead of hanging it. Returns whether
// `inside` ran.
inline bool WhileModal(const std::function<void()>& showModal, const std::function<void(QWidget*)>& inside) {
    bool ran = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && modal->isActiveWindow()) {
            poll.stop();
            ran = true;
            inside(modal);
            modal->close();
        } else if (clock.elapsed() > 5000) {
            poll.stop();
            if (modal) {
                modal->close();
            }
        }
    });
    poll.start();
    showModal();
    return ran;
}

} // namespace about_tests
