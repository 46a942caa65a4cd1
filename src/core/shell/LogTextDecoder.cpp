#include "shell/LogTextDecoder.h"

#include "text/Cp1251.h"

namespace kvmt {

QString LogTextDecoder::decode(QByteArrayView bytes)
{
    QByteArray text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const bool lfOfCrLf = byte == '\n' && m_afterCr;
        m_afterCr = byte == '\r';
        if (lfOfCrLf || byte == '\0')
            continue;
        text.append(byte == '\r' ? '\n' : byte);
    }
    return fromCp1251(text);
}

} // namespace kvmt
