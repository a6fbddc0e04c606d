#include "app/corvanta.h"

#include "app/platform.h"
#include "settings/appsettings.h"
#include "ui/mainwindow.h"

#include <QDir>
#include <QStandardPaths>

Corvanta::Corvanta(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // libVLC reads its module path when its instance is created, which happens while
    // the main window is built: set it first, replacing whatever was inherited.
    qputenv("VLC_PLUGIN_PATH", Platform::pluginDirectory(applicationDirPath()).toUtf8());

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
