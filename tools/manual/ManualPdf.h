#pragma once

#include <QDateTime>
#include <QImage>
#include <QMap>
#include <QString>

namespace kvmt::manual {

// Lays the Markdown text out on A4 pages with the pictures it names
// ("![caption](window.png)" shows the picture "window") and writes the PDF.
// False, with the reason, when the file could not be written or a picture
// the text names was not taken. The PDF is dated `created`.
bool writeManualPdf(const QString &markdown, const QMap<QString, QImage> &screens, const QString &title,
                    const QDateTime &created, const QString &path, QString *error);

} // namespace kvmt::manual
