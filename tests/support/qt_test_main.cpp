// The entry point of the window tests: GoogleTest takes its own arguments first, then one
// application object, set up as the program sets up its own, lives for the whole run, on Qt's
// offscreen platform unless told otherwise.
#include "application_setup.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tests read Qt's own texts (key names such as "Ctrl+N") in English, as ./test.sh runs
    // them: in the caller's language the program would take Qt's catalogue of it.
    qputenv("LC_ALL", "C.UTF-8");
    ::testing::InitGoogleTest(&argc, argv);
    // As the program: without a session's runtime folder (a plain root shell) Qt would make and
    // leave /tmp/runtime-<user>.
    appearance::PrepareEnvironment();
    QApplication app(argc, argv);
    appearance::SetUpApplication();
    return RUN_ALL_TESTS();
}
