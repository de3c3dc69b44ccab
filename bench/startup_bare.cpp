// Started by bench_startup: the floor any window of the editor's size with text pays, a bare
// 768 x 474 window with one label, built with the same flags but without the editor.
#include "startup_probe.h"

#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(768, 474);
    (new QLabel("Quarnel", &window))->move(8, 8);
    return startup_probe::Run(app, window);
}
