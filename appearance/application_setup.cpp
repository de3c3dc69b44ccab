// The application's style, window font and settings paths.
#include "application_setup.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMargins>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QStyle>
#include <QTranslator>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QList>
#include <cstdio>
#include <cstdlib>
#include <stdlib.h>
#include <sys/stat.h>
#include <utility>
#include <unistd.h>
#endif

namespace appearance {

namespace {

#ifdef Q_OS_WIN
// Wine's rendition of the face (Debian's fonts-wine), built into the Windows program for Wine.
constexpr char kBitmapFacePath[] = ":/fonts/ms_sans_serif.ttf";

// Wine's ntdll exports its version; Windows' own does not.
bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}
#else
#ifdef __EMSCRIPTEN__
// Wine's rendition of the face, built into the page's program as into the Windows one.
constexpr char kBitmapFacePath[] = ":/fonts/ms_sans_serif.ttf";
#else
// Wine's rendition of the face (Debian's fonts-wine). Debian's fontconfig hides bitmap faces, so
// the file is handed to Qt directly.
constexpr char kBitmapFacePath[] = "/usr/share/wine/fonts/ms_sans_serif.ttf";
#endif

// A folder no file can be made in: a settings file there can be neither read nor written.
constexpr char kNoSettingsFolder[] = "/dev/null";

// The runtime folder lent to Qt while the application starts, where the session gives none; the
// message handler that was there before the start's own, and what Qt said meanwhile.
QByteArray lentRuntimeFolder;
QtMessageHandler handlerBeforeStart = nullptr;
bool watchingStart = false;
struct TStartMessage {
    QtMsgType Type;
    QString Text;
};
QList<TStartMessage> startMessages;

// The program's children (the browser of the home page) get the environment the program got.
void ReturnRuntimeFolder() {
    if (lentRuntimeFolder.isEmpty())
        return;
    ::rmdir(lentRuntimeFolder.constData());
    qunsetenv("XDG_RUNTIME_DIR");
    lentRuntimeFolder.clear();
}

// What Qt said while the application started is said once it has started (or failed otherwise):
// where no window system can be reached, only the program's own words are.
void EndStartWatch() {
    ReturnRuntimeFolder();
    if (!watchingStart)
        return;
    watchingStart = false;
    qInstallMessageHandler(handlerBeforeStart);
    for (const TStartMessage& message : std::exchange(startMessages, {}))
        handlerBeforeStart(message.Type, QMessageLogContext(), message.Text);
}

// The exit status of a start that found no display.
constexpr int kNoWindowStatus = 1;

// A start that fails (no display to connect to: ssh without X forwarding, a text console) ends in
// Qt's fatal message and abort(), past every destructor, with the advice to reinstall the program.
// The lent folder goes first; where no window system could be reached the program says so in its
// own words and ends with status 1, without a core dump.
void WatchStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        startMessages.append({type, message});
        return;
    }
    if (message.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        ReturnRuntimeFolder();
        const QByteArray display = qgetenv("DISPLAY");
        const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
        if (display.isEmpty() && wayland.isEmpty()) {
            std::fprintf(stderr, "quarnel: no display to open the window on: DISPLAY and WAYLAND_DISPLAY are unset.\n");
        } else {
            // Qt's own words say why the display named did not answer.
            for (const TStartMessage& earlier : std::as_const(startMessages))
                handlerBeforeStart(earlier.Type, QMessageLogContext(), earlier.Text);
            std::fprintf(stderr, "quarnel: cannot open the window on the display (DISPLAY=%s, WAYLAND_DISPLAY=%s).\n",
                         display.constData(), wayland.constData());
        }
        std::fprintf(stderr, "quarnel is a desktop program: start it in a desktop session, or on a virtual X "
                             "server with xvfb-run quarnel (Debian's package xvfb).\n");
        std::_Exit(kNoWindowStatus);
    }
    EndStartWatch();
    handlerBeforeStart(type, context, message);
}

// Qt looks into the session's runtime folder once, while the application starts, for a Wayland
// display's socket. Where XDG_RUNTIME_DIR is unset (su, ssh, containers) it makes
// /tmp/runtime-<user> for that and leaves it behind. A private empty folder stands in for the
// look, and SetUpApplication removes it again.
void LendRuntimeFolder() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    QByteArray folder = qgetenv("TMPDIR");
    if (folder.isEmpty())
        folder = "/tmp";
    folder += "/quarnel-runtime-XXXXXX";
    if (!::mkdtemp(folder.data()))
        return;
    lentRuntimeFolder = folder;
    qputenv("XDG_RUNTIME_DIR", lentRuntimeFolder);
}
#endif

// The text that fills its box most closely (OrderBox's longest entry), and its width in the
// classic face at 8 points; an outline face in its place is made no wider.
constexpr char kTightestText[] = "Superiority - Attack Fighters then Primary FGs";
constexpr qreal kTightestTextWidth = 212;
constexpr int kSmallestPixelSize = 8;

// Whether the face's file was handed to Qt, so that the face is certainly there.
bool bitmapFaceAdded = false;

QMargins FrameMargins(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

bool DrawnOneToOne() {
    return !qApp || qApp->devicePixelRatio() == 1.0;
}

} // namespace

void PrepareEnvironment() {
#ifdef Q_OS_WIN
    // Under Wine, Qt's own (GDI) font engine leaves out glyphs of the bitmap face MS Sans Serif
    // (every capital "I"); there its FreeType engine, built into the program, draws the copy of the
    // face built into the program whole. On Windows the system's engine draws the system's face.
    if (RunningUnderWine() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
#else
    // Once the application exists, Qt has started and looked already.
    if (!QCoreApplication::instance() && !watchingStart) {
        LendRuntimeFolder();
        watchingStart = true;
        handlerBeforeStart = qInstallMessageHandler(WatchStart);
    }
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    // The bus a user session provides without announcing its address.
    const QString runtimeFolder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat bus {};
    if (!runtimeFolder.isEmpty() &&
        ::stat(QFile::encodeName(runtimeFolder + QStringLiteral("/bus")).constData(), &bus) == 0 &&
        S_ISSOCK(bus.st_mode))
        return;
    // Without an address the library would fall back to autolaunching; this one it never connects to.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
#endif
}

void SetUpApplication() {
    // Flat control colours, open lists in their box's colours and line count, captions across the
    // group box frame and dotted focus rectangles: Qt's Windows style draws what the layout asks
    // for, where the platform's own style and Fusion paint over the control colours.
    QApplication::setStyle(QStringLiteral("Windows"));
#ifndef Q_OS_WIN
    EndStartWatch();
    // Qt's file dialogs save their history, last folder and view in a QtProject settings file
    // when they close, and read it back; the program keeps no settings of any kind.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, QString::fromLatin1(kNoSettingsFolder));
    TranslateQtTexts(QLocale::system());
    const bool faceWanted = DrawnOneToOne();
#else
    // Windows has the face itself; under Wine it is drawn from the program's own copy.
    const bool faceWanted = DrawnOneToOne() && RunningUnderWine();
#endif
    if (faceWanted && QFile::exists(QString::fromLatin1(kBitmapFacePath)))
        bitmapFaceAdded = QFontDatabase::addApplicationFont(QString::fromLatin1(kBitmapFacePath)) >= 0;
    QApplication::setFont(WindowFont());
}

QTranslator* TranslateQtTexts(const QLocale& locale) {
    // Qt's texts are written in English: nothing to look up for it, nor for the C locale.
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return nullptr;
    // The catalogue is mapped from its file, not read: loading costs a few file look-ups.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

QFont WindowFont() {
    QStringList families;
    if (DrawnOneToOne())
        families << QStringLiteral("MS Sans Serif");
    // Faces with outlines and the widths of MS Sans Serif: Windows' own successor, then Liberation
    // Sans (Arial's widths), which the set-up scripts install. They are left out when the face is
    // known to be there: given more than one family, Qt looks up the faces for characters the first
    // one lacks as soon as it loads the font (about a millisecond at start), where for one family it
    // waits until such a character is drawn.
    if (!DrawnOneToOne() || !bitmapFaceAdded)
        families << QStringLiteral("Microsoft Sans Serif") << QStringLiteral("Liberation Sans")
                 << QStringLiteral("Arial") << QStringLiteral("DejaVu Sans");
    QFont font;
    font.setFamilies(families);
    font.setPointSize(8);
    if (families.size() > 1) {
        // Outline faces are wider than the classic face at the same size: take the largest pixel
        // size at which the layout's tightest text is no wider than the classic face draws it, so
        // that every fixed box still shows its whole text.
        for (int pixels = QFontInfo(font).pixelSize(); pixels > kSmallestPixelSize; --pixels) {
            font.setPixelSize(pixels);
            if (QFontMetricsF(font).horizontalAdvance(QLatin1String(kTightestText)) <= kTightestTextWidth)
                break;
        }
    }
    // Text is set as Windows sets this face, letter by letter: the face's file carries a ligature
    // rule (it would draw "TM" as a trademark sign) that Windows never applies. Without Qt's
    // shaping step, drawing the window's texts also costs about a third less.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void CentreOnScreen(QWidget* window) {
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QMargins frame = FrameMargins(window);
    if (frame.isNull() && owner)
        frame = FrameMargins(owner);
    // A window's position is that of its frame.
    const QSize outer = window->size().grownBy(frame);
    const QRect area = screen->geometry();
    QPoint place(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
    // A window larger than the screen's free area (a small screen at a large scale) keeps its
    // top-left corner, with its title bar, inside that area, so it can still be reached and moved.
    const QRect free = screen->availableGeometry();
    if (outer.width() > free.width())
        place.setX(free.x());
    if (outer.height() > free.height())
        place.setY(free.y());
    window->move(place);
}

} // namespace appearance
