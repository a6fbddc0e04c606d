#include "app/corvanta.h"
#include "app/platform.h"

#include <QGuiApplication>

int main(int argc, char *argv[])
{
    Platform::preferNativeWindowPlatform(argc, argv);
    Platform::scaleForTheScreenAsQt5Does();
    QGuiApplication::setDesktopSettingsAware(true);

    int result = 0;
    {
        Corvanta app(argc, argv);
        app.showMainWindow();
        result = app.exec();
    }
    return result;
}
