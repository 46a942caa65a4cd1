#pragma once

#include <QByteArrayView>
#include <QString>

namespace kvmt {

// Turns the tracker's debug bytes into text for the log window: Windows-1251
// to Unicode, each line end (CR LF, LF or a lone CR) to one "\n". A CR LF
// split between two reads is still one line end, so the decoder keeps the
// state of the last byte. NUL bytes are dropped: they end nothing here.
class LogTextDecoder
{
public:
    QString decode(QByteArrayView bytes);

private:
    bool m_afterCr = false;
};

} // namespace kvmt
