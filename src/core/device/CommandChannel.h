#pragma once

#include <QByteArray>

namespace kvmt {

// One command written, one reply read and split: what the settings sequences
// need of the tracker. DeviceLink is the real one; tests script their own.
class CommandChannel
{
public:
    virtual ~CommandChannel() = default;

    virtual void sendCommand(const QByteArray &command) = 0;
    // 0 after a reply arrived; non-zero when nothing came.
    virtual int receiveReply() = 0;
    virtual const QByteArray &replyKey() const = 0;
    virtual const QByteArray &replyValue() const = 0;
    // The profile-file lookup delivers its value through the same field.
    virtual void setReplyValue(const QByteArray &value) = 0;
};

} // namespace kvmt
