#pragma once

#include <QByteArrayView>

#include <optional>

namespace kvmt {

// Number readings of reply items and field texts. Results saturate at the
// 32-bit range instead of overflowing.

// The whole text is a decimal whole number (optional sign, digits only).
std::optional<int> strictInt(QByteArrayView text);
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
