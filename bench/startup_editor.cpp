// Started by bench_startup: the quarnel program's start, measured to its mapped window and first
// painted frame.
#include "application_setup.h"
#include "form1.h"
#include "startup_probe.h"

int main(int argc, char** argv) {
    appearance::PrepareEnvironment();
    QApplication app(argc, argv);
    appearance::SetUpApplication();
    QGuiApplication::setDesktopFileName("quarnel");
    editor::TForm1 form;
    return startup_probe::Run(app, form);
}
