#ifndef HALVORINE_APPTESTMAIN_H
#define HALVORINE_APPTESTMAIN_H

#include "app/corvanta.h"
#include "app/platform.h"
#include "testenvironment.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QMainWindow>
#include <QtTest>

// The program's main window (tests may build other main windows of their own).
inline QMainWindow *applicationMainWindow()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *widget : windows)
        if (auto *window = qobject_cast<MainWindow *>(widget))
            return window;
    return nullptr;
}

// Builds the real application object, on a temporary settings home, and runs the
// test class against it. Off-screen unless the test runs under an X server of its own.
#define HALVORINE_APP_TEST_MAIN(TestClass)                                      \
    int main(int argc, char **argv)                                             \
    {                                                                           \
        TestEnvironment environment;                                            \
        Platform::setPluginPath(argc, argv);                                    \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                     \
            qputenv("QT_QPA_PLATFORM", "offscreen");                            \
        Corvanta app(argc, argv);                                               \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                \
        TestClass test;                                                         \
        return QTest::qExec(&test, argc, argv);                                 \
    }

#endif
