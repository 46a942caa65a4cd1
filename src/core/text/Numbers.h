#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <optional>

namespace kvmt {

// The program's one way of reading numbers, from replies and from fields
// alike: a number beyond the 32-bit range, or text that is not one, is no
// number. Nothing saturates, so that a field, its summary row and what Save
// sends always agree on what a text says.

// The whole text is a decimal whole number (optional sign, digits only).
std::optional<int> strictInt(QByteArrayView text);
// The same for a field's text: any character outside ASCII is no digit.
std::optional<int> strictInt(QStringView text);
// A decimal fraction as the coordinate fields take it: optional sign,
// digits with at most one '.', at least one digit; "1e2", " 5" and "5,0"
// are no number.
std::optional<double> decimalNumber(QStringView text);
// Leading blanks, an optional sign and at least one digit; what follows the
// digits is ignored ("12abc" gives 12). The way the tracker's items are read.
// `consumed` receives how many bytes the number took, blanks included.
std::optional<int> leadingInt(QByteArrayView text, qsizetype *consumed = nullptr);
// As leadingInt, 0 when there is no number.
inline int leadingIntOr0(QByteArrayView text)
{
    return leadingInt(text).value_or(0);
}

} // namespace kvmt
