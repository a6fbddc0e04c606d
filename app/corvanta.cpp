#include "app/corvanta.h"

#include "app/heapreturn.h"
#include "app/platform.h"
#include "settings/appsettings.h"
#include "ui/mainwindow.h"

#include <QDir>
#include <QStandardPaths>

Corvanta::Corvanta(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // Before any preview plays; the program, its benches and its tests alike.
    HeapReturn::mapLargeBlocksApart();
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // QSettings does not create a missing directory, and saved cameras would be lost silently.
    QDir().mkpath(dataDir);
    settings = new AppSettings(Platform::settingsFile(dataDir));

    // The main window fills its camera list from the store, so the store comes first.
    mainWindow = new MainWindow();
}

Corvanta::~Corvanta()
{
    delete mainWindow;
    mainWindow = nullptr;
    delete settings;
    settings = nullptr;
}

void Corvanta::showMainWindow()
{
    mainWindow->show();
}

AppSettings *Corvanta::appSettings() const
{
    return settings;
}

Corvanta *Corvanta::instance()
{
    return qobject_cast<Corvanta *>(QCoreApplication::instance());
}
