#include "savedcameras.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString presetAddress(int index)
{
    return QStringLiteral("127.1.%1.%2").arg(index / 250).arg(index % 250 + 1);
}

} // namespace

bool writeSavedCameras(const QString &filePath, int count)
{
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    QFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray text("[General]\n");
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("camName_camera-%1=%2\n").arg(i, 5, 10, QLatin1Char('0')).arg(presetAddress(i)).toUtf8();
    return file.write(text) == text.size();
}

QString newCameraAddress(int index)
{
    return QStringLiteral("127.2.0.%1").arg(index + 1);
}

QString newCameraName(int index)
{
    return QStringLiteral("new-camera-%1").arg(index, 3, 10, QLatin1Char('0'));
}
