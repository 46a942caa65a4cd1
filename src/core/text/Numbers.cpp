#include "text/Numbers.h"

#include <algorithm>
#include <climits>

namespace kvmt {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Parses sign and digits from position i; reports where the digits ended.
std::optional<int> parseFrom(QByteArrayView text, qsizetype i, qsizetype *end)
{
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i >= text.size() || !isDigit(text[i]))
        return std::nullopt;
    long long value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX + 1LL);
    *end = i;
    value = negative ? -value : value;
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

} // namespace

std::optional<int> strictInt(QByteArrayView text)
{
    qsizetype end = 0;
    const std::optional<int> value = parseFrom(text, 0, &end);
    if (!value || end != text.size())
        return std::nullopt;
    return value;
}

std::optional<int> leadingInt(QByteArrayView text, qsizetype *consumed)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    qsizetype end = 0;
    const std::optional<int> value = parseFrom(text, i, &end);
    if (consumed)
        *consumed = value ? end : 0;
    return value;
}

} // namespace kvmt
