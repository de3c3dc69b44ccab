// The measuring end of bench_startup, shared by the two programs it starts: shows a window, notes
// the process's CPU time (all threads) when the X server maps the window and once its first frame
// is painted and flushed, prints both, and quits.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace startup_probe {

inline std::int64_t Nanoseconds(clockid_t clock) {
    timespec now{};
    ::clock_gettime(clock, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

struct TMark {
    std::int64_t cpu = -1;  // CPU time of every thread of this process, from its start
    std::int64_t wall = -1; // CLOCK_MONOTONIC, for the starting process to subtract its own start
    void Take() {
        cpu = Nanoseconds(CLOCK_PROCESS_CPUTIME_ID);
        wall = Nanoseconds(CLOCK_MONOTONIC);
    }
};

// The X server's MapNotify for the first window mapped.
class TMapWatch : public QAbstractNativeEventFilter {
public:
    TMark Mapped;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        constexpr std::uint8_t kMapNotify = 19; // X11 protocol event code
        if (Mapped.cpu < 0 && eventType == "xcb_generic_event_t" &&
            (*static_cast<const std::uint8_t*>(message) & 0x7F) == kMapNotify)
            Mapped.Take();
        return false;
    }
};

// The window's first paint event; the mark is taken from the event queue after it, once the
// painted frame (the window and every control in it) has gone to the X server.
class TPaintWatch : public QObject {
public:
    TMark Painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !queued_) {
            queued_ = true;
            QMetaObject::invokeMethod(
                qApp,
                [this] {
                    Painted.Take();
                    QCoreApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool queued_ = false;
};

// Runs the application with the window shown; prints "<mapped cpu> <mapped wall> <painted cpu>
// <painted wall>" in nanoseconds on success.
inline int Run(QApplication& app, QWidget& window) {
    if (QGuiApplication::platformName() != "xcb") {
        std::fprintf(stderr, "startup probe: needs an X server (xcb), not \"%s\"\n",
                     qPrintable(QGuiApplication::platformName()));
        return 2;
    }
    TMapWatch map;
    TPaintWatch paint;
    app.installNativeEventFilter(&map);
    window.installEventFilter(&paint);
    window.show();
    const int code = app.exec();
    if (code != 0 || map.Mapped.cpu < 0 || paint.Painted.cpu < 0)
        return code != 0 ? code : 3;
    std::printf("%lld %lld %lld %lld\n", static_cast<long long>(map.Mapped.cpu),
                static_cast<long long>(map.Mapped.wall), static_cast<long long>(paint.Painted.cpu),
                static_cast<long long>(paint.Painted.wall));
    return 0;
}

} // namespace startup_probe
