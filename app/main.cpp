#include "app/corvanta.h"
#include "app/platform.h"

#include <QGuiApplication>

int main(int argc, char *argv[])
{
    Platform::preferNativeWindowPlatform(argc, argv);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Always on in Qt 6; in Qt 5 it must be set before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
#endif
    QGuiApplication::setDesktopSettingsAware(true);

    int result = 0;
    {
        Corvanta app(argc, argv);
        app.showMainWindow();
        result = app.exec();
    }
    return result;
}
