// The start-up benchmark's peer: the least a Qt Widgets program does to put a main
// window on the screen, started the way the remote's own main() starts.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
#endif
    QGuiApplication::setDesktopSettingsAware(true);
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    return app.exec();
}
