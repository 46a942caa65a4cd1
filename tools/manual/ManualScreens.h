#pragma once

#include <QDateTime>
#include <QImage>
#include <QMap>
#include <QString>

namespace kvmt::manual {

// Pictures of the program's windows, by the names the manual's texts use
// ("window", "gsm", "summary", ...). Taken from the real window with a
// virtual tracker attached, in the interface language installed at the
// time of the call. The tracker's clock shows `clock` (in its own time
// zone), so that the pictures are the same whenever they are taken.
QMap<QString, QImage> takeScreens(const QString &binDir, int languageId, const QDateTime &clock);

} // namespace kvmt::manual
