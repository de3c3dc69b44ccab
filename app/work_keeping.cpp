#include "work_keeping.h"

#include "recovery_window.h"

#include <QGuiApplication>
#include <QSessionManager>

#ifndef _WIN32
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

void OfferRecoveredWork(editor::TForm1& window, document::TRecoveryFolder& folder,
                        document::TRecoveryKeeper& keeper) {
    QObject::connect(&keeper, &document::TRecoveryKeeper::KeepingFailed, &window, &editor::TForm1::ShowError);
    std::vector<document::TLeftCopy> left = folder.LeftCopies();
    if (left.empty())
        return;
    auto* recovery = new editor::TRecoveryWindow(
        &window, window.Dialogs(), std::move(left),
        {[&window](const document::TRecoveryCopy& copy) { return window.RecoverWork(copy); },
         [&keeper] { return keeper.KeepNow(); }});
    recovery->setAttribute(Qt::WA_DeleteOnClose);
#ifdef __EMSCRIPTEN__
    // The page's start has already waited once, for the page's storage, and cannot wait again
    // here: the window is shown over the editor's and answered in the event loop.
    recovery->open();
#else
    recovery->exec();
#endif
}

namespace {

#ifndef _WIN32
// The signal handler's end of a socket pair; the event loop reads the other.
int signalSocket[2] = {-1, -1};

void OnEndingSignal(int signal) {
    const auto number = static_cast<unsigned char>(signal);
    // Nothing else is safe here; the window's thread does the rest.
    [[maybe_unused]] const ssize_t written = ::write(signalSocket[0], &number, 1);
}

void CatchEndingSignals(QObject& owner, document::TRecoveryKeeper& keeper) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSocket) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, &owner);
    QObject::connect(notifier, &QSocketNotifier::activated, &owner, [&keeper] {
        unsigned char signal = 0;
        if (::read(signalSocket[1], &signal, 1) != 1)
            return;
        keeper.KeepNow();
        // Ended as the signal ends a program that does not catch it, so the caller sees why.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    });
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}
#endif

} // namespace

void KeepWorkAtTheEnd(QGuiApplication& application, editor::TForm1& window, document::TRecoveryKeeper& keeper) {
#ifndef _WIN32
    CatchEndingSignals(window, keeper);
#endif
    // On Windows Qt turns WM_QUERYENDSESSION into this request too.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                     [&window, &keeper](QSessionManager& manager) {
                         if (manager.allowsInteraction()) {
                             if (!window.FormClose())
                                 manager.cancel();
                             manager.release();
                         } else {
                             keeper.KeepNow();
                         }
                     });
}
