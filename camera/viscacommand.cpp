#include "camera/viscacommand.h"

#include <QByteArray>

ViscaCommand makeViscaCommand(const char *hexText, qint32 byteCount)
{
    ViscaCommand command;
    qstrncpy(command.hexText, hexText, sizeof command.hexText);
    command.byteCount = byteCount;
    return command;
}

static char hexPairToByte(const QString &pair)
{
    // An invalid piece converts to 0, which is the byte it gives.
    return static_cast<char>(pair.toUInt(nullptr, 16) & 0xFF);
}

QByteArray hexToBytes(const QString &hexText)
{
    QByteArray bytes;
    const int length = hexText.size();
    bytes.reserve((length + 1) / 2);
    int index = 0;
    if (length % 2 != 0) {
        bytes.append(hexPairToByte(hexText.left(1)));
        index = 1;
    }
    for (; index < length; index += 2)
        bytes.append(hexPairToByte(hexText.mid(index, 2)));
    return bytes;
}
