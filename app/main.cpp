// The quarnel executable: the application, its one window, the event loop.
#include "application_setup.h"
#include "form1.h"

#include <QApplication>

int main(int argc, char** argv) {
    appearance::PrepareEnvironment();
    QApplication app(argc, argv);
    appearance::SetUpApplication();
    // Lets desktops match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName("quarnel");
    editor::TForm1 form;
    form.show();
    return app.exec();
}
