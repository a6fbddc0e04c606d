#include "app/corvanta.h"
#include "app/platform.h"
#include "app/quitsignals.h"
#include "input/autorepeatmarker.h"

#include <QGuiApplication>

int main(int argc, char *argv[])
{
    Platform::preferNativeWindowPlatform(argc, argv);
    Platform::scaleForTheScreenAsQt5Does();
    QGuiApplication::setDesktopSettingsAware(true);

    int result = 0;
    {
        Corvanta app(argc, argv);
        // Signals from here on end the program through the main window's teardown.
        QuitSignals quitSignals;
        // Installed after the windows' own key filters, so that it sees key events first.
        AutoRepeatMarker autoRepeatMarker;
        app.showMainWindow();
        result = app.exec();
    }
    return result;
}
