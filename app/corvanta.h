#ifndef HALVORINE_CORVANTA_H
#define HALVORINE_CORVANTA_H

#include <QApplication>

class AppSettings;
class MainWindow;

// The application object: owns the saved-camera store and the main window.
class Corvanta : public QApplication
{
    Q_OBJECT

public:
    // argc must outlive the application object, as QApplication requires.
    Corvanta(int &argc, char **argv);
    ~Corvanta() override;

    void showMainWindow();
    AppSettings *appSettings() const;

    // The running application object, for the windows that need the store.
    static Corvanta *instance();

private:
    MainWindow *mainWindow = nullptr;
    AppSettings *settings = nullptr;
};

#endif
