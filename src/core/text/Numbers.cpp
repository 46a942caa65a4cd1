#include "text/Numbers.h"

#include <QByteArray>
#include <algorithm>
#include <climits>
#include <cmath>

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
    bool tooLarge = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        // Read on to the digits' end, so that what follows is still found.
        if (value > INT_MAX + 1LL) {
            tooLarge = true;
            value = INT_MAX + 1LL;
        }
    }
    *end = i;
    value = negative ? -value : value;
    if (tooLarge || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return int(value);
}

// The text as bytes when it is ASCII; a wider character can be no digit.
std::optional<QByteArray> asciiOf(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
        bytes.append(char(c.unicode()));
    }
    return bytes;
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

std::optional<int> strictInt(QStringView text)
{
    const std::optional<QByteArray> bytes = asciiOf(text);
    return bytes ? strictInt(QByteArrayView(*bytes)) : std::nullopt;
}

std::optional<double> decimalNumber(QStringView text)
{
    const std::optional<QByteArray> bytes = asciiOf(text);
    if (!bytes)
        return std::nullopt;
    qsizetype i = 0;
    if (i < bytes->size() && ((*bytes)[i] == '+' || (*bytes)[i] == '-'))
        ++i;
    int digits = 0;
    bool point = false;
    for (; i < bytes->size(); ++i) {
        if (isDigit((*bytes)[i]))
            ++digits;
        else if ((*bytes)[i] == '.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    // Plain digits and one point: read the same in every locale. Only a
    // string of hundreds of digits overflows, and that is no number either.
    bool ok = false;
    const double value = bytes->toDouble(&ok);
    if (!ok || !std::isfinite(value))
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
