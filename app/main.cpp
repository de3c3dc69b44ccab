// The quarnel executable: the application, its one window, the event loop.
#include "application_setup.h"
#include "form1.h"

#include <QApplication>

int main(int argc, char** argv) {
#ifdef Q_OS_WIN
    // Qt's GDI font engine leaves out glyphs of the bitmap face MS Sans Serif under Wine (every
    // capital "I"); its FreeType engine, built into the program, draws the same face whole.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
#endif
    appearance::PrepareEnvironment();
    QApplication app(argc, argv);
    appearance::SetUpApplication();
    // Lets desktops match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName("quarnel");
    editor::TForm1 form;
    form.show();
    return app.exec();
}
