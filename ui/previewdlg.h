#ifndef HALVORINE_PREVIEWDLG_H
#define HALVORINE_PREVIEWDLG_H

#include <QDialog>
#include <QString>

class PreviewDlgUi;
class QCloseEvent;
class QMainWindow;
struct libvlc_instance_t;
struct libvlc_media_player_t;
struct libvlc_media_t;

// Plays the camera's RTSP stream through libVLC into the dialog's black frame.
// Floats as its own window, or snaps into the main window as a panel.
class PreviewDlg : public QDialog
{
    Q_OBJECT

public:
    explicit PreviewDlg(QWidget *parent);
    ~PreviewDlg() override;

    void playStream();
    void stopStream();
    void setAddressAndPlay(QString address);
    bool isPlaying() const { return active && mediaPlayer; }
    // Pictures libVLC has shown of the stream playing so far, or -1 when none
    // plays: a player that falls behind drops pictures rather than lag.
    int picturesShown() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void onStartBtnClicked();
    void onStopBtnClicked();
    void onSnapChecked(bool checked);

private:
    void attachVideoWindow();

    // True after any play attempt that obtained a media; a player may then be held.
    bool active;
    QString address;
    PreviewDlgUi *ui;
    libvlc_instance_t *vlcInstance;
    libvlc_media_player_t *mediaPlayer;
    libvlc_media_t *media;
    QMainWindow *mainWindow;
};

#endif
