#include "settings/ReadHistory.h"

#include "settings/DeviceSettings.h"
#include "settings/WriteSequence.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace kvmt {

namespace {

const QString kStampFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");

// <serial>_<stamp>.atc, or _002, _003 ... before ".atc" for further reads
// within the same second. Names sort by time, and a file of anyone else's never
// matches, so pruning never touches it.
QRegularExpression copyName(const QString &stem)
{
    return QRegularExpression(QStringLiteral("^%1_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d(_\\d+)?\\.atc$")
                                  .arg(QRegularExpression::escape(stem)));
}

} // namespace

void ReadHistory::ErrorsOnly::logEvent(const QString &text, int kind)
{
    if (kind == LogError)
        m_log.logEvent(text, kind);
}

ReadHistory::ReadHistory(CommandChannel &channel, KeyTable &keys, DeviceSettings &settings, EventLog &log, int keep)
    : m_settings(settings)
    , m_errors(log)
    , m_fileWriter(channel, m_buffer, keys, settings, m_noLink, m_errors)
    , m_keep(qMax(1, keep))
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    m_fileWriter.setSaveFilePrivate(true);
}

QString ReadHistory::folder(const QString &exeDir, const QString &serial)
{
    return QDir(exeDir).filePath(QStringLiteral("history/") + serialFileStem(serial));
}

QStringList ReadHistory::copies(const QString &exeDir, const QString &serial)
{
    const QRegularExpression pattern = copyName(serialFileStem(serial));
    QStringList names = QDir(folder(exeDir, serial)).entryList(QDir::Files, QDir::Name);
    names.removeIf([&](const QString &name) { return !pattern.match(name).hasMatch(); });
    QStringList paths;
    for (const QString &name : std::as_const(names))
        paths.append(QDir(folder(exeDir, serial)).filePath(name));
    return paths;
}

QString ReadHistory::keep(const QString &exeDir)
{
    const QString serial = m_settings.text(F::pSerial);
    // No backup is filed under the placeholder of a tracker that never
    // answered NUMBER: the next such tracker's would land beside it.
    if (exeDir.isEmpty() || !isGivenSerial(serial))
        return {};
    const QDir dir(folder(exeDir, serial));
    // Both levels: "history/" lists whose trackers were read, the serial's
    // folder holds their passwords.
    if (!makePrivateFolder(QFileInfo(dir.path()).path()) || !makePrivateFolder(dir.path())) {
        m_errors.logEvent(QCoreApplication::translate("kvmt::WriteSequence", "Не удалось записать файл %1")
                              .arg(QDir::toNativeSeparators(dir.path())),
                          LogError);
        return {};
    }

    const QString base = serialFileStem(serial) + QLatin1Char('_') + m_clock().toString(kStampFormat);
    QString path = dir.filePath(base + QStringLiteral(".atc"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(base + QStringLiteral("_%1.atc").arg(n, 3, 10, QLatin1Char('0')));

    m_fileWriter.setSaveFileName(path);
    if (!m_fileWriter.writeSettings(true))
        return {};
    prune(exeDir, serial);
    closeToOthers(dir.path(), {QStringLiteral("*.atc")});
    return path;
}

void ReadHistory::prune(const QString &exeDir, const QString &serial)
{
    const QStringList paths = copies(exeDir, serial);
    for (qsizetype i = 0; i + m_keep < paths.size(); ++i)
        QFile::remove(paths.at(i));
}

} // namespace kvmt
