#ifndef HALVORINE_CAMERA_H
#define HALVORINE_CAMERA_H

#include "camera/viscacommand.h"

#include <QObject>
#include <QString>

class QTcpSocket;

// The control link to one camera: a TCP connection to port 5678 of the camera's
// address, over which the eight VISCA messages are written. Nothing is interpreted
// from what the camera sends back.
class Camera : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 controlPort = 5678;

    explicit Camera(const QString &address);
    ~Camera() override;

    void setIpAddr(const QString &address);
    QString ipAddr() const;
    bool isOpen() const;
    void connectToCamera();
    void disconnectFromCamera();

    void sendUp();
    void sendDown();
    void sendLeft();
    void sendRight();
    void sendStop();
    void sendOsd();
    void sendOsdEnter();
    void sendOsdBack();
    void sendCommand(const ViscaCommand &command);
    // Hands what the socket still buffers to the network now instead of from the event
    // loop: for a last stop just before the program ends and closes the link.
    void flushCommands();

signals:
    void cameraConnected();
    void cameraDisconnected();
    void cameraError();

private slots:
    void onClientConnected();
    void onClientDisconnected();
    void onClientError();
    void onReadyRead();

private:
    void sendIfOpen(const char *hexText, qint32 byteCount);

    QTcpSocket *socket;
    QString address;
};

#endif
