#include "viscaframer.h"

QVector<ViscaFramer::Event> ViscaFramer::feed(const QByteArray &data)
{
    QVector<Event> events;
    for (char byte : data)
        take(byte, events);
    return events;
}

void ViscaFramer::take(char byte, QVector<Event> &events)
{
    // A header always starts a new message: a camera resynchronises on it, so a
    // half-sent message followed by a good one loses only the half.
    if (byte == Header) {
        if (state_ == State::InMessage)
            events.append({Event::Unterminated, buffer_});
        buffer_ = QByteArray(1, byte);
        state_ = State::InMessage;
        return;
    }
    switch (state_) {
    case State::SeekHeader:
        return;
    case State::DiscardOverlong:
        if (byte == Terminator)
            state_ = State::SeekHeader;
        return;
    case State::InMessage:
        buffer_.append(byte);
        if (byte == Terminator) {
            events.append({Event::Message, buffer_});
            buffer_.clear();
            state_ = State::SeekHeader;
        } else if (buffer_.size() >= MaxMessageSize) {
            events.append({Event::Overlong, buffer_});
            buffer_.clear();
            state_ = State::DiscardOverlong;
        }
        return;
    }
}
