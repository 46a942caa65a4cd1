#pragma once

#include <QImage>
#include <QMap>
#include <QString>

namespace kvmt::manual {

// Pictures of the program's windows, by the names the manual's texts use
// ("window", "gsm", "summary", ...). Taken from the real window with a
// virtual tracker attached, in the interface language installed at the
// time of the call.
QMap<QString, QImage> takeScreens(const QString &binDir, int languageId);

} // namespace kvmt::manual
