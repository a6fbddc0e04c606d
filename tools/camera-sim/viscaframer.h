#pragma once

#include <QByteArray>
#include <QVector>

// Cuts a VISCA byte stream into messages the way a camera's serial/TCP input
// does: a message starts at the header 0x81 and ends at the terminator 0xFF,
// whatever the TCP segments look like. Bytes before a header are skipped. A
// message that grows past 16 bytes without a terminator, or is cut short by a
// new header, is handed back as rejected so the caller can answer it.
class ViscaFramer
{
public:
    static constexpr char Header = char(0x81);
    static constexpr char Terminator = char(0xFF);
    static constexpr int MaxMessageSize = 16;

    struct Event
    {
        enum Type { Message, Overlong, Unterminated };
        Type type;
        QByteArray bytes;
    };

    QVector<Event> feed(const QByteArray &data);

    // Bytes of a message begun but not yet terminated (what a disconnect drops).
    int pendingBytes() const { return int(buffer_.size()); }

private:
    enum class State { SeekHeader, InMessage, DiscardOverlong };

    void take(char byte, QVector<Event> &events);

    State state_ = State::SeekHeader;
    QByteArray buffer_;
};
