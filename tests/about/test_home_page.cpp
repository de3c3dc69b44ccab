// The home page: the address handed over once and whole; opening it fails quietly and says so.
#include "home_page.h"

#include <QApplication>
#include <QDesktopServices>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using about::OpenWebPage;

namespace {

// Counts the visible windows after `action` has run and the events it left have been handled. A
// modal box that comes up meanwhile is noted and closed, so that it cannot hang the test.
struct Visible {
    int topLevels = 0;
    bool modal = false;
};
Visible WhatShows(const std::function<void()>& action) {
    Visible seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            seen.modal = true;
            modal->close();
        }
    });
    watch.start(10);
    action();
    QTest::qWait(50);
    watch.stop();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            ++seen.topLevels;
        }
    }
    seen.modal = seen.modal || QApplication::activeModalWidget() != nullptr;
    return seen;
}

} // namespace

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

TEST(HomePage, AddressFitsTheBufferAndIsAWebAddress) {
    EXPECT_LE(about::kHomePageAddress.size(), 79u);
    const QUrl url(QString::fromLatin1(about::kHomePageAddress.data(), about::kHomePageAddress.size()));
    EXPECT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), "https");
    EXPECT_FALSE(url.host().isEmpty());
}

TEST(HomePage, HandsTheAddressOverOnceCutTo79Characters) {
    const std::string long100(100, 'x');
    const struct {
        std::string address;
        std::string received;
    } rows[] = {
        {std::string(about::kHomePageAddress), std::string(about::kHomePageAddress)},
        {long100, long100.substr(0, 79)},
        {std::string(79, 'y'), std::string(79, 'y')},
        {"", ""},
    };
    for (const auto& row : rows) {
        std::vector<std::string> calls;
        const auto record = [&](const char* address) {
            calls.emplace_back(address);
            return true;
        };
        EXPECT_TRUE(OpenWebPage(row.address, record));
        ASSERT_EQ(calls.size(), 1u) << row.address;
        EXPECT_EQ(calls[0], row.received);
    }
}

TEST(HomePage, AFailingHandlerShowsNothingAndThrowsNothing) {
    const about::TAddressOpener failures[] = {
        [](const char*) -> bool { throw std::runtime_error("no program is registered for web addresses"); },
        [](const char*) -> bool { throw 5; },
        [](const char*) { return false; },
    };
    for (const auto& fail : failures) {
        Visible before = WhatShows([] {});
        bool opened = true;
        Visible after =
            WhatShows([&] { EXPECT_NO_THROW(opened = OpenWebPage(about::kHomePageAddress, fail)); });
        EXPECT_EQ(after.topLevels, before.topLevels);
        EXPECT_FALSE(after.modal);
        EXPECT_FALSE(opened) << "the caller is told, so the window can say so";
    }
}

#ifndef _WIN32
TEST(HomePage, GoesToTheDesktopsHandlerForWebAddresses) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    EXPECT_TRUE(OpenWebPage(about::kHomePageAddress));
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(recorder.urls.size(), 1u);
    EXPECT_EQ(recorder.urls[0].toString().toStdString(), std::string(about::kHomePageAddress));
}

TEST(HomePage, NoBrowserOnTheSystemShowsNothing) {
    // No browser to be found: an empty search path and no BROWSER setting.
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const QByteArray path = qgetenv("PATH");
    const QByteArray browser = qgetenv("BROWSER");
    qputenv("PATH", empty.path().toLocal8Bit());
    qunsetenv("BROWSER");
    Visible before = WhatShows([] {});
    bool opened = true;
    Visible after = WhatShows([&] { EXPECT_NO_THROW(opened = OpenWebPage(about::kHomePageAddress)); });
    qputenv("PATH", path);
    if (!browser.isEmpty()) {
        qputenv("BROWSER", browser);
    }
    EXPECT_EQ(after.topLevels, before.topLevels);
    EXPECT_FALSE(after.modal);
    EXPECT_FALSE(opened);
}
#endif

#include "test_home_page.moc"
