// The quarnel executable: the command line, the application, its one window, the event loop.
#include "application_setup.h"
#include "file_names.h"
#include "form1.h"
#include "work_keeping.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kUsageError = 2;

// The options Qt's application object takes for itself: named here so that the command line is
// read the same way before and after Qt has seen it, and described for --help-all.
struct TQtOption {
    const char* Name;
    const char* Value; // nullptr for a flag
    const char* Description;
};
constexpr TQtOption kQtOptions[] = {
    {"platform", "name", "The window system plug-in: xcb, wayland, offscreen, ..."},
    {"platformpluginpath", "folder", "A further folder to look for window system plug-ins in."},
    {"platformtheme", "name", "The platform theme (colours, dialogs) to use."},
    {"plugin", "name", "Loads an input plug-in, such as evdevtouch."},
    {"display", "display", "The X display to use instead of $DISPLAY (X11)."},
    {"geometry", "geometry", "The window's place, as +X+Y (X11); the window keeps its size."},
    {"qwindowgeometry", "geometry", "The same on every window system."},
    {"qwindowicon", "file", "The window's icon."},
    {"qwindowtitle", "title", "The window's title at start."},
    {"session", "id", "The session a session manager restores."},
    {"style", "name", "Accepted, without effect: Quarnel always draws Qt's classic Windows style."},
    {"stylesheet", "file", "A Qt style sheet to draw the window with."},
    {"reverse", nullptr, "Lays the window out from right to left."},
    {"widgetcount", nullptr, "Prints how many widgets were left at the end (for debugging)."},
    {"nograb", nullptr, "Never grabs the mouse or keyboard (X11, for debugging)."},
    {"dograb", nullptr, "Grabs them even under a debugger (X11)."},
    {"sync", nullptr, "Talks to the X server synchronously (X11, for debugging)."},
};

// Which options the help lists: --help the program's own, --help-all Qt's as well.
enum class THelp { OwnOptions, WithQtOptions };

void AddQtOptions(QCommandLineParser& parser, THelp help) {
    for (const TQtOption& qt : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.Name), QString::fromLatin1(qt.Description));
        if (qt.Value)
            option.setValueName(QString::fromLatin1(qt.Value));
        if (help == THelp::OwnOptions)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

void DescribeCommandLine(QCommandLineParser& parser, THelp help = THelp::OwnOptions) {
    parser.setApplicationDescription(
        QStringLiteral("Edits the skirmish missions (.skm) of a 1999 space-combat game."));
    // Qt's own options are single words after one dash, as "-style fusion"; two dashes work too,
    // as the help writes them.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The mission to open."),
                                 QStringLiteral("[file]"));
    AddQtOptions(parser, help);
}

// A command line that opens no window: help, the version, or a mistake in it. Answered without
// the window system, so that these work also where there is no display.
int AnswerWithoutWindow(QCommandLineParser& parser, const QString& error) {
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n%s", qPrintable(QCoreApplication::applicationName()), qPrintable(error),
                     qPrintable(parser.helpText()));
        return kUsageError;
    }
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    // Shown the way Qt shows any help (a message box for the Windows program without a console).
    QCommandLineParser everything;
    DescribeCommandLine(everything, THelp::WithQtOptions);
    everything.showHelp(0);
}

// What reading the command line came to: empty when it opens the window.
QString CommandLineError(QCommandLineParser& parser, const QStringList& arguments) {
    if (!parser.parse(arguments))
        return parser.errorText();
    if (parser.positionalArguments().size() > 1)
        return QStringLiteral("only one file can be opened at a time, %1 were given")
            .arg(parser.positionalArguments().size());
    return {};
}

// A command-line argument as text. On Linux a file's name is bytes that need not be UTF-8, where
// Qt would put a replacement character in place of each stray byte and so name another file: such
// bytes are kept in the text and put back when the file is opened (files/file_names.h).
QString ArgumentText(const char* argument) {
#ifdef _WIN32
    return QFile::decodeName(argument);
#else
    return QString::fromStdU16String(files::NameFromSystem(argument));
#endif
}

// The arguments Qt left once it took its own (QApplication removes them from argv); on Windows,
// Qt's copy from the wide command line, which argv's code page could not carry.
QStringList ArgumentsAfterQt(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    return QCoreApplication::arguments();
#else
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << ArgumentText(argv[i]);
    return arguments;
#endif
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationVersion(QStringLiteral(QUARNEL_VERSION));

    // Read once before the application exists, to learn whether a window opens at all. On Windows
    // argv is in the ANSI code page, which can mangle a file's name but not how many there are; the
    // name is taken from Qt's own copy of the command line below.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << ArgumentText(argv[i]);
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    if (const QString error = CommandLineError(parser, arguments);
        !error.isEmpty() || parser.isSet(QStringLiteral("help")) ||
        parser.isSet(QStringLiteral("help-all")) || parser.isSet(QStringLiteral("version"))) {
        QCoreApplication app(argc, argv);
        return AnswerWithoutWindow(parser, error);
    }

    appearance::PrepareEnvironment();
    QApplication app(argc, argv);
    appearance::SetUpApplication();
    // Lets desktops match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUARNEL_APP_ID));
    editor::TForm1 form;
    form.show();
    // Unsaved work is copied to the user's state folder while it lasts.
    document::TRecoveryFolder recovery(document::DefaultRecoveryFolder());
    document::TRecoveryKeeper keeper(form.Document(), recovery);
    KeepWorkAtTheEnd(app, form, keeper);

    // Once the window is up, work an earlier editor left unsaved is offered; then the file named on
    // the command line (Explorer's "Open with", a file dropped on quarnel.exe, a file manager's
    // double-click) opens, as Open would open it.
    parser.parse(ArgumentsAfterQt(argc, argv));
    QString path;
    if (const QStringList files = parser.positionalArguments(); !files.isEmpty()) {
#ifdef _WIN32
        path = QFileInfo(files.front()).absoluteFilePath();
#else
        // Qt's absolute path would go through the lossy bytes again.
        path = QString::fromStdU16String(files::AbsoluteName(files.front().toStdU16String()));
#endif
    }
    QTimer::singleShot(0, &form, [&form, &recovery, &keeper, path] {
        OfferRecoveredWork(form, recovery, keeper);
        if (!path.isEmpty())
            form.OpenFile(path);
    });
    return app.exec();
}
