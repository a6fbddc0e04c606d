#ifndef HALVORINE_APPTESTMAIN_H
#define HALVORINE_APPTESTMAIN_H

#include "app/corvanta.h"
#include "app/platform.h"
#include "privatenetwork.h"
#include "testenvironment.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QMainWindow>
#include <QtTest>

#include <memory>

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
// test object that makeTest() returns against it. Off-screen unless the test runs
// under an X server of its own.
template <typename MakeTest>
int runApplicationTest(int argc, char **argv, MakeTest makeTest)
{
    TestEnvironment environment;
    Platform::setPluginPath(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Corvanta app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const auto test = makeTest();
    return QTest::qExec(test.get(), argc, argv);
}

#define HALVORINE_APP_TEST_MAIN(TestClass)                                                \
    int main(int argc, char **argv)                                                       \
    {                                                                                     \
        return runApplicationTest(argc, argv, [] { return std::make_unique<TestClass>(); }); \
    }

// The same in a network namespace of the test's own (PrivateNetwork), entered before
// Qt starts any thread or opens any socket. TestClass takes the reason the namespace
// is not available (empty when it is) and skips with it.
#define HALVORINE_PRIVATE_NETWORK_APP_TEST_MAIN(TestClass)                                  \
    int main(int argc, char **argv)                                                         \
    {                                                                                       \
        const QString unavailable = PrivateNetwork::enter();                                \
        return runApplicationTest(argc, argv,                                               \
                                  [&] { return std::make_unique<TestClass>(unavailable); }); \
    }

#endif
