// Started by bench_startup: the quarnel program's start, measured to its mapped window and first
// painted frame.
#include "application_setup.h"
#include "form1.h"
#include "recovery_keeper.h"
#include "startup_probe.h"

#include <QTimer>

int main(int argc, char** argv) {
    appearance::PrepareEnvironment();
    QApplication app(argc, argv);
    appearance::SetUpApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral(QUARNEL_APP_ID));
    editor::TForm1 form;
    // As the program: the copy of unsaved work is kept, and the copies left are looked for at once.
    document::TRecoveryFolder recovery(document::DefaultRecoveryFolder());
    document::TRecoveryKeeper keeper(form.Document(), recovery);
    QTimer::singleShot(0, &form, [&recovery] { recovery.LeftCopies(); });
    return startup_probe::Run(app, form);
}
