#include "settings/WriteSequence.h"

#include "device/CommandChannel.h"
#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "settings/ReadSequence.h"
#include "settings/SequenceStop.h"
#include "settings/SettingsBuffer.h"
#include "text/Cp1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <iterator>

namespace kvmt {

namespace {

// Profile files list their lines in this order; it is not the reading order.
constexpr Key kWriteOrder[] = {
    Key::GSMPIN, Key::GSMAPNUSER, Key::GSMAPN, Key::GSMAPNPASS, Key::CHANGEPROFILEONCALL, Key::SERVER,
    Key::SERVERPORT, Key::SERVERPASS, Key::SERVEREN, Key::SERVERPERIOD, Key::SMTPSSLEN, Key::SMTPSERVER,
    Key::SMTPPORT, Key::SMTPLOGIN, Key::SMTPPASS, Key::SMTPFROM, Key::SMTPTO1, Key::SMTPTO2, Key::SMTPTO3,
    Key::SMTPTO4, Key::SMTPEN, Key::SMTPPERIOD, Key::TRUSTNUMBER, Key::SMSNUMBER1, Key::SMSNUMBER2,
    Key::SMSNUMBER3, Key::SMSGATE, Key::SMSEN, Key::SMSPERIOD, Key::DEVNAME, Key::DELAYOFF, Key::MAPFORMAT,
    Key::MAPTEMPLATE1, Key::MAPTEMPLATE2, Key::LBSDISABLE, Key::DEBUGINFO, Key::DATAWITHUSB, Key::INDOFF,
    Key::ACCLEN, Key::ACCLSETUPSEND, Key::ACCLSENSELEV, Key::FASTMOVEDETECT, Key::ACCLSENSETIMEOUT,
    Key::ACCLACTIVTIME, Key::ACCLALARMCALL, Key::BALANCENUM, Key::BALANCELEVEL, Key::GPSEN, Key::GPSPERIOD,
    Key::SETTIME, Key::SETCP, Key::CHANGEPROFILE,
};

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool isFileNameSafe(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'-'
        || c == u'_';
}

} // namespace

bool isGivenSerial(const QString &serial)
{
    return !serial.isEmpty() && serial != QString::fromUtf16(DeviceSettings::info(F::pSerial).designText);
}

QString serialFileStem(const QString &serial)
{
    QString stem = serial;
    for (QChar &c : stem) {
        if (!isFileNameSafe(c))
            c = u'_';
    }
    return stem;
}

bool makePrivateFolder(const QString &path)
{
    return QDir().mkpath(path)
        && QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void closeToOthers(const QString &dir, const QStringList &nameFilters)
{
    constexpr QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                               | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                               | QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QDir folder(dir);
    for (const QString &name : folder.entryList(nameFilters, QDir::Files | QDir::Hidden)) {
        const QString path = folder.filePath(name);
        const QFileDevice::Permissions permissions = QFile::permissions(path);
        if (permissions & kOthers)
            QFile::setPermissions(path, permissions & ~kOthers);
    }
}

WriteSequence::WriteSequence(CommandChannel &channel, SettingsBuffer &buffer, KeyTable &keys,
                             DeviceSettings &settings, const LinkFlags &flags, EventLog &log)
    : m_channel(channel)
    , m_buffer(buffer)
    , m_keys(keys)
    , m_settings(settings)
    , m_flags(flags)
    , m_log(log)
{
}

int WriteSequence::openKeysFrom(size_t first, Source target) const
{
    int open = 0;
    for (size_t i = first; i < std::size(kWriteOrder); ++i)
        open += m_keys.writeGateOpen(kWriteOrder[i], target) ? 1 : 0;
    return open;
}

QString WriteSequence::autoCopyPath() const
{
    const QString stem = serialFileStem(m_settings.text(F::pSerial));
    if (m_exeDir.isEmpty())
        return {};
    return QDir(m_exeDir).filePath(stem + QStringLiteral(".atc"));
}

QString WriteSequence::passwordListPath() const
{
    const QString stem = serialFileStem(m_settings.text(F::pSerial));
    if (m_exeDir.isEmpty())
        return {};
    return QDir(m_exeDir).filePath(QStringLiteral("ATG/") + stem + QStringLiteral(".atg"));
}

bool WriteSequence::writeSettings(bool toFile)
{
    const bool toTracker = !toFile;
    if (toTracker && !m_flags.testFlag(LinkFlag::Connected))
        return false;
    const Source target = toFile ? Source::File : Source::Tracker;

    m_buffer.resetFill();
    m_linesLeftOut = false;
    m_notTaken.clear();
    // A file write keeps the verdict of the last write to the tracker.
    if (toTracker)
        m_saved = false;
    m_sent = 0;
    m_stoppedUnstored = false;
    appendLine("NUMBER=" + toCp1251(m_settings.text(F::pSerial)) + ';', "NUMBER");
    appendLine("VERSION=" + toCp1251(m_settings.text(F::pVersion)) + ';', "VERSION");
    m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence", "Запись параметров"), LogSuccess);

    if (m_settings.text(F::edPinCode) == noPinShownText())
        m_settings.setText(F::edPinCode, noPinText());

    const int closingExchanges = toTracker ? 1 : 0; // SAVECONFIG
    ProgressRun progress(m_progress, openKeysFrom(0, target) + closingExchanges);
    for (size_t index = 0; index < std::size(kWriteOrder); ++index) {
        const Key key = kWriteOrder[index];
        if (!m_keys.writeGateOpen(key, target))
            continue;
        if (toTracker && stopRequested()) {
            logStoppedUnstored(openKeysFrom(index, target));
            if (m_settings.text(F::edPinCode) == noPinText())
                m_settings.setText(F::edPinCode, noPinShownText());
            return false;
        }
        // Commands are kept whole however long they get: the texts without a
        // typing limit (time, balance level, time-out) may run past the 203
        // characters a fixed command buffer would hold, and cutting them
        // would send the tracker a value nobody typed.
        const QByteArray command = m_keys.command(key);
        if (key == Key::CHANGEPROFILE && !profileInList()) {
            leaveOutUnselectedProfile();
        } else if (command.indexOf(';') != command.size() - 1) {
            leaveOutCutValue(key);
        } else {
            appendLine(command, KeyTable::name(key));
            if (toTracker)
                sendAndApplyEcho(key, command);
        }
        if (key == Key::GSMPIN && m_settings.text(F::edPinCode) == noPinText())
            m_settings.setText(F::edPinCode, noPinShownText());
        progress.advance(openKeysFrom(index + 1, target) + closingExchanges);
    }
    if (toTracker) {
        // A locked tracker refuses every setting without a red line of its
        // own: one line says none of them was taken.
        const auto locked = std::count_if(m_notTaken.begin(), m_notTaken.end(),
                                          [](const NotTaken &n) { return n.locked; });
        if (locked > 0)
            m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence",
                                                       "Трекер заблокирован паролем: не записано настроек: %1")
                               .arg(locked),
                           LogError);
        // Stopped after the last key: the settings are sent but not stored.
        if (stopRequested()) {
            logStoppedUnstored(0);
            return false;
        }
        saveConfig();
        progress.advance(0);
    }

    // A tracker that gave no serial number has no files of its own: under a
    // placeholder, every such tracker's copy would overwrite the last one's.
    if (toTracker && !isGivenSerial(m_settings.text(F::pSerial))) {
        m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence",
                                                   "Трекер не сообщил серийный номер: копия настроек не записана"),
                       LogError);
        return false;
    }
    // Written also after failed keys: the copy records what was attempted.
    const bool ownerOnly = !toFile || m_saveFilePrivate;
    const bool written = writeFile(toFile ? m_saveFileName : autoCopyPath(), m_buffer.filled(),
                                   ownerOnly ? std::optional(kOwnerOnly) : std::nullopt);
    // A saved profile that lacks settings is no saved profile: its missing
    // lines have been named in red, and no success line may follow them.
    return written && !(toFile && m_linesLeftOut);
}

void WriteSequence::btSaveClick(ReadSequence &reader)
{
    if (!m_flags.testFlag(LinkFlag::Connected))
        return;
    writeSettings(false);
    if (m_stoppedUnstored)
        return;
    if (stopRequested()) {
        // The stop came during SAVECONFIG: what it answered stands, the copy
        // is kept, and only the read that would show the tracker's values is
        // left out.
        m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence",
                                                   "Запись остановлена после SAVECONFIG: чтение для проверки пропущено"),
                       LogError);
        return;
    }
    m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence", "Чтение параметров"), LogSuccess);
    reader.readSettings(false);
}

void WriteSequence::logStoppedUnstored(int notSent)
{
    m_stoppedUnstored = true;
    // What was sent is active in the tracker's RAM, unsaved, until the next
    // write or an unplug: the person must know to do one or the other.
    if (m_sent == 0) {
        m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence", "Запись остановлена: не записано настроек: %1")
                           .arg(notSent),
                       LogError);
        return;
    }
    m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence",
                                               "Запись остановлена: настроек отправлено, но не сохранено: %1; не "
                                               "отправлено: %2. Нажмите «Сохранить» ещё раз или отключите трекер")
                       .arg(m_sent)
                       .arg(notSent),
                   LogError);
}

void WriteSequence::appendLine(const QByteArray &line, const char *what)
{
    if (m_buffer.appendLine(line))
        return;
    m_linesLeftOut = true;
    // The command itself still goes to the tracker; only the file lacks it.
    m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence",
                                               "Строка %1 не поместилась в буфер профиля и не будет записана в файл")
                       .arg(QString::fromLatin1(what)),
                   LogError);
}

bool WriteSequence::stopRequested() const
{
    return m_stop && m_stop->requested();
}

bool WriteSequence::profileInList() const
{
    const int index = m_settings.index(F::cbProfile);
    return index >= 0 && index < m_settings.items(F::cbProfile).size();
}

void WriteSequence::leaveOutUnselectedProfile()
{
    // After an unplug the user-profile entries leave the list while their
    // values stay shown: the selection then names no profile, and a number
    // for it would make a file that switches trackers to a profile nobody
    // chose. Treated as a line that did not fit: named, and no success.
    m_linesLeftOut = true;
    m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence",
                                               "Профиль не выбран: строка CHANGEPROFILE не будет записана"),
                   LogError);
}

void WriteSequence::leaveOutCutValue(Key key)
{
    // A ';' ends a command: the tracker would store the value up to it and
    // take the rest for another command, and a profile file would lose the
    // entries after it. Neither sent nor saved, and said so.
    m_linesLeftOut = true;
    m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence",
                                               "Значение %1 содержит символ «;» и не будет записано")
                       .arg(QString::fromLatin1(KeyTable::name(key))),
                   LogError);
}

void WriteSequence::sendAndApplyEcho(Key key, const QByteArray &command)
{
    m_channel.sendCommand(command);
    ++m_sent;
    if (m_channel.receiveReply() != 0) {
        // Every key says so, DATAWITHUSB included: a setting that did not
        // reach the tracker must not pass unnoticed.
        m_log.logEvent(KeyTable::errorLine(key), LogError);
        m_notTaken.append({key, false});
        return;
    }
    // A locked tracker refuses every setting; the members keep what the
    // user gave them.
    if (m_channel.replyKey() == kLockedReply) {
        m_notTaken.append({key, true});
        return;
    }
    m_keys.applyEcho(key, m_channel.replyKey(), m_channel.replyValue());
}

void WriteSequence::saveConfig()
{
    m_channel.sendCommand(QByteArrayLiteral("SAVECONFIG=1;"));
    // Only the tracker's own acknowledgement means stored. A locked
    // tracker's "DEVLOCK;", another key's late reply or an explicit 0 (the
    // flash could not be written) leave the settings unstored, and the
    // password list must not claim a server password the tracker never took.
    const bool answered = m_channel.receiveReply() == 0;
    if (!answered || m_channel.replyKey() != "SAVECONFIG" || m_channel.replyValue() == "0") {
        m_log.logEvent(QStringLiteral("SAVECONFIG error"), LogError);
        return;
    }
    m_saved = true;
    writePasswordList();
}

QList<Key> WriteSequence::lastNotTaken() const
{
    QList<Key> keys;
    for (const NotTaken &n : m_notTaken)
        keys.append(n.key);
    return keys;
}

bool WriteSequence::writePasswordList()
{
    if (!isGivenSerial(m_settings.text(F::pSerial)))
        return false;
    const QString path = passwordListPath();
    if (!path.isEmpty()) {
        makePrivateFolder(QFileInfo(path).absolutePath());
        closeToOthers(QFileInfo(path).absolutePath(), {QStringLiteral("*.atg")});
    }
    const QByteArray text = "Korvel database 1.3\r\n1 records\r\n" + toCp1251(m_settings.text(F::pSerial))
                          + ":\tPASSWORD=" + toCp1251(m_settings.text(F::edServerPass)) + ';';
    // It holds the server password: the owner's eyes only.
    return writeFile(path, text, kOwnerOnly);
}

bool WriteSequence::writeFile(const QString &path, const QByteArray &bytes, std::optional<QFileDevice::Permissions> permissions)
{
    if (!path.isEmpty()) {
        QSaveFile file(path);
        // Permissions go on before a byte is written, so the text is never
        // readable by others, not even for a moment.
        if (file.open(QIODevice::WriteOnly) && (!permissions || file.setPermissions(*permissions))
            && file.write(bytes) == bytes.size() && file.commit())
            return true;
    }
    // Said aloud: a profile or password list that silently failed to land
    // would be taken for saved.
    m_log.logEvent(path.isEmpty()
                       ? QCoreApplication::translate("kvmt::WriteSequence",
                                                     "Не удалось записать файл: папка программы не задана")
                       : QCoreApplication::translate("kvmt::WriteSequence", "Не удалось записать файл %1")
                             .arg(QDir::toNativeSeparators(path)),
                   LogError);
    return false;
}

} // namespace kvmt
