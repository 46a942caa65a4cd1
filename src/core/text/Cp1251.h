#pragma once

#include <QByteArray>
#include <QString>

namespace kvmt {

// The tracker, its replies and the profile files speak Windows-1251, whatever
// the computer's locale. Text is converted here, at the edges, and nowhere
// else. The table is fixed in code because the byte values are part of the
// protocol: 0xFF ("я") must come back as 0xFF, it is the tracker's no-PIN value.
QString fromCp1251(const QByteArray &bytes);
QByteArray toCp1251(const QString &text);

// Characters that Windows-1251 cannot hold become this byte.
inline constexpr char kCp1251Unmappable = '?';

} // namespace kvmt
