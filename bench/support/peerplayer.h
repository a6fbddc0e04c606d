#ifndef HALVORINE_BENCH_PEERPLAYER_H
#define HALVORINE_BENCH_PEERPLAYER_H

#include <QProcess>
#include <QString>
#include <QStringList>

#include <QTemporaryDir>

#include <set>

// A player that a user would start instead of the remote (ffplay, gst-launch-1.0,
// cvlc), started as a user would start it, and the top-level window it opens on the
// X server (the first new viewable one of a player's size).
class PeerPlayer
{
public:
    PeerPlayer(const QString &name, const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    ~PeerPlayer();

    QString name() const { return label; }
    // Starts the player and waits for its window; false with a reason.
    bool start(QString &error, int timeoutMs = 20000);
    unsigned long window() const { return playerWindow; }
    qint64 processId() const { return process.processId(); }
    void stop();

private:
    std::set<unsigned long> topLevelWindows() const;

    QString label;
    QString program;
    QStringList arguments;
    QProcess process;
    unsigned long playerWindow = 0;
};

// A player's command line and environment.
struct PlayerCommand
{
    QString name;
    QString program;
    QStringList arguments;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

// libVLC's own player with the program's RTSP module (VLC_PLUGIN_PATH, as the remote
// sets it). VLC refuses to run as root, which the benches are (for port 554), so it
// runs as nobody, with a home of its own for its settings.
class CvlcHome
{
public:
    CvlcHome();
    PlayerCommand command(const QString &name, const QStringList &options, const QString &url,
                          const QString &pluginFolder) const;

private:
    QTemporaryDir home;
};

#endif
