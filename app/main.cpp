// The quarnel executable: the application, its one window, the event loop.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Quarnel beta 1.1  -  [Unnamed]");
    window.setFixedSize(768, 474);
    window.show();
    return app.exec();
}
