#pragma once

#include <QApplication>

#include <clocale>

// Fonts and widgets need a running application; the tests of one executable
// share it. Run directly rather than through CTest, the tests still need no
// display.
inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "tessaric_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
        // Qt switches LC_NUMERIC to the user's locale; numbers keep their point.
        std::setlocale(LC_NUMERIC, "C");
    }
}
