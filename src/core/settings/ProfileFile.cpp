#include "settings/ProfileFile.h"

#include "device/UserPrompts.h"
#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "settings/KeyTable.h"
#include "settings/ReadSequence.h"
#include "settings/SettingsBuffer.h"
#include "settings/WriteSequence.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kvmt {

namespace {

const QString kSuffix = QStringLiteral(".atc");

// Up to `limit` bytes of a device without a size, read until its end (a
// read of a pipe waits for its writer); `whole` false when it failed first.
QByteArray readAtMost(QIODevice &device, qint64 limit, bool *whole)
{
    QByteArray bytes;
    while (bytes.size() < limit) {
        const QByteArray chunk = device.read(limit - bytes.size());
        if (chunk.isEmpty())
            break;
        bytes.append(chunk);
    }
    if (auto *file = qobject_cast<QFileDevice *>(&device); file && file->error() != QFileDevice::NoError)
        *whole = false;
    return bytes;
}

} // namespace

ProfileFile::ProfileFile(SettingsBuffer &buffer, ReadSequence &reader, WriteSequence &writer,
                         const DeviceSettings &settings, EventLog &log, UserPrompts &prompts)
    : m_buffer(buffer)
    , m_reader(reader)
    , m_writer(writer)
    , m_settings(settings)
    , m_log(log)
    , m_prompts(prompts)
{
}

QString ProfileFile::openTitle()
{
    return tr("Открыть файлы настроек");
}

QString ProfileFile::openFilter()
{
    return QStringLiteral("Text files (*.atc)|*.ATC");
}

QString ProfileFile::openInitialName()
{
    return QStringLiteral("*.atc");
}

QString ProfileFile::saveTitle()
{
    return tr("Сохранить профиль настроек");
}

QString ProfileFile::saveFilter()
{
    return QStringLiteral("Profile files (*.atc)|*.ATC");
}

void ProfileFile::N4Click()
{
    if (const std::optional<QString> path = m_prompts.askOpenFileName(openTitle(), openFilter(), openInitialName()))
        load(*path);
}

void ProfileFile::N5Click()
{
    if (const std::optional<QString> name =
            m_prompts.askSaveFileName(saveTitle(), saveFilter(), m_settings.text(F::edDevName)))
        save(*name);
}

ProfileFile::LoadOutcome ProfileFile::load(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        m_prompts.showError(tr("Ошибка"), tr("Файл не существует"));
        return LoadOutcome::Missing;
    }
    QFile file(path);
    // Opened for reading only: other programs may go on reading it.
    if (!file.open(QIODevice::ReadOnly)) {
        // Without this check the read would run over whatever the buffer
        // held before, and pass that off as the file's settings.
        refuse(tr("Не удалось открыть файл %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return LoadOutcome::Unreadable;
    }
    return loadFrom(file);
}

ProfileFile::LoadOutcome ProfileFile::loadFrom(QIODevice &file)
{
    // A pipe (a process substitution, /dev/stdin) has no size to ask: it is
    // read to its end, never further than the buffer holds.
    const bool sequential = file.isSequential();
    QByteArray bytes;
    qint64 size = file.size();
    bool whole = true;
    if (sequential) {
        bytes = readAtMost(file, SettingsBuffer::kCapacity + 1, &whole);
        size = bytes.size();
    }
    if (size <= 0) {
        m_log.logEvent(tr("Файл пустой"), LogError);
        return LoadOutcome::Empty;
    }
    // Refused whole rather than cut: a file cut at the buffer's end would
    // load the settings before the cut and report the rest as missing, as
    // if the file were a good one from an older tracker.
    if (size > SettingsBuffer::kCapacity) {
        if (sequential)
            refuse(tr("Файл слишком большой для профиля настроек: больше %1 байт").arg(SettingsBuffer::kCapacity));
        else
            refuse(tr("Файл слишком большой для профиля настроек: %1 байт, допускается не более %2")
                       .arg(size)
                       .arg(SettingsBuffer::kCapacity));
        return LoadOutcome::TooLarge;
    }
    if (!sequential) {
        bytes = file.read(size);
        whole = bytes.size() == size;
    }
    m_buffer.load(bytes);
    // Part of a file is no profile: with nothing loaded every key is
    // reported missing.
    if (!whole)
        m_buffer.forgetLoaded();
    m_log.logEvent(tr("Чтение настроек из файла"), LogNotice);
    if (m_beforeLoad)
        m_beforeLoad();
    m_reader.readSettings(true);
    // Entries the read could not take keep the window's values in their
    // members: a file that went in only in part is named as such, entry by
    // entry, and is no loaded profile for a tool to write on. Loaded up to
    // the ';' such a value would give a cut one; the entries after it still
    // load.
    QStringList refused;
    // A file saved with LF line ends (an editor on Linux or macOS, a version
    // control system) cuts its entries at the LF, not at a ';' of a value.
    const QByteArrayList cutAtLf = m_buffer.keysCutAtLineFeeds();
    if (!cutAtLf.isEmpty())
        refused.append(tr("Строки файла оканчиваются только символом LF (так сохраняют файлы в Linux и macOS), "
                          "а программа ожидает в конце строки CR LF: значения %1 и строки за ними до ближайшего "
                          "CR LF не загружены. Сохраните файл с концами строк CR LF")
                           .arg(QString::fromLatin1(cutAtLf.join(", "))));
    QByteArrayList cut = m_buffer.keysWithCutValues();
    cut.removeIf([&cutAtLf](const QByteArray &key) { return cutAtLf.contains(key); });
    if (!cut.isEmpty())
        refused.append(tr("Значения %1 в файле содержат символ «;» и не загружены")
                           .arg(QString::fromLatin1(cut.join(", "))));
    if (const QList<Key> &notTaken = m_reader.lastFileNotTaken(); !notTaken.isEmpty()) {
        QStringList names;
        for (const Key key : notTaken)
            names.append(QString::fromLatin1(KeyTable::name(key)));
        refused.append(tr("Значения %1 в файле неполны или не являются числами и не загружены")
                           .arg(names.join(QStringLiteral(", "))));
    }
    if (!refused.isEmpty())
        refuse(refused.join(u'\n'));
    m_log.logEvent(tr("Настройки из файла считаны"), LogNotice);
    if (!whole)
        return LoadOutcome::ShortRead;
    return refused.isEmpty() ? LoadOutcome::Read : LoadOutcome::EntriesRefused;
}

bool ProfileFile::save(const QString &chosenName)
{
    return saveAs(chosenName + kSuffix);
}

bool ProfileFile::saveAs(const QString &path)
{
    m_writer.setSaveFileName(path);
    // The write logs its own failure; the success line would then be false.
    if (!m_writer.writeSettings(true))
        return false;
    m_log.logEvent(tr("Профиль настроек  сохранен в файле"), LogNotice);
    return true;
}

void ProfileFile::refuse(const QString &text)
{
    m_prompts.showError(tr("Ошибка"), text);
}

} // namespace kvmt
