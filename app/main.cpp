#include "app/commandline.h"
#include "app/corvanta.h"
#include "app/platform.h"
#ifndef HALVORINE_WITHOUT_INPUT
#include "app/quitsignals.h"
#include "input/autorepeatmarker.h"
#endif

#include <QGuiApplication>

int main(int argc, char *argv[])
{
    const CommandLine commandLine = readCommandLine(argc, argv);
    if (!commandLine.run)
        return commandLine.exitCode;
    Platform::setPluginPath(argc, argv);
    Platform::preferNativeWindowPlatform(argc, argv);
    Platform::scaleForTheScreenAsQt5Does();
    QGuiApplication::setDesktopSettingsAware(true);

    int result = 0;
    {
        Corvanta app(argc, argv);
        PreviewLatencyChoice::applyAtStart(commandLine.previewLatency);
#ifndef HALVORINE_WITHOUT_INPUT // the start-up bench's build without keyboard and controllers
        // Signals from here on end the program through the main window's teardown.
        QuitSignals quitSignals;
        // Installed after the windows' own key filters, so that it sees key events first.
        AutoRepeatMarker autoRepeatMarker;
#endif
        app.showMainWindow();
        result = app.exec();
    }
    return result;
}
