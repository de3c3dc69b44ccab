// The quarnel executable: the application, its one window, the event loop.
#include "form1.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    editor::TForm1 form;
    form.show();
    return app.exec();
}
