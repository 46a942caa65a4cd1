#pragma once

#include <QByteArray>

namespace kvmt {

struct SplitReply {
    QByteArray key;
    QByteArray value;
};

// Splits one reply of the tracker at its first '='. The key is what stands
// before it; the value runs from after it to the last ';' of the reply, so
// "A=1;B=2;" gives the value "1;B=2". A reply without '=' is all key, up to
// its first NUL byte ("DEVLOCK;", "NO_CMD"). An '=' without a later ';' gives
// an empty value. Key and value are kept whole, however long: map templates
// of 96 characters must survive a read.
SplitReply splitReply(const char *data, qsizetype size);
inline SplitReply splitReply(const QByteArray &reply)
{
    return splitReply(reply.constData(), reply.size());
}

} // namespace kvmt
