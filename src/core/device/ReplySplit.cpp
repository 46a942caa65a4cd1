#include "device/ReplySplit.h"

#include <cstring>

namespace kvmt {

namespace {

// The fields are read as C text everywhere: a NUL inside ends them.
QByteArray cText(const char *data, qsizetype size)
{
    const void *nul = std::memchr(data, '\0', static_cast<size_t>(size));
    return QByteArray(data, nul ? static_cast<const char *>(nul) - data : size);
}

} // namespace

SplitReply splitReply(const char *data, qsizetype size)
{
    SplitReply result;
    if (!data || size <= 0)
        return result;
    const void *eq = std::memchr(data, '=', static_cast<size_t>(size));
    if (!eq) {
        result.key = cText(data, size);
        return result;
    }
    const qsizetype e = static_cast<const char *>(eq) - data;
    result.key = cText(data, e);
    const qsizetype valueStart = e + 1;
    for (qsizetype i = size - 1; i >= valueStart; --i) {
        if (data[i] == ';') {
            result.value = cText(data + valueStart, i - valueStart);
            break;
        }
    }
    return result;
}

} // namespace kvmt
