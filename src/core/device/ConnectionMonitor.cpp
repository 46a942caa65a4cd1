#include "device/ConnectionMonitor.h"

#include "device/DeviceLink.h"
#include "device/UserPrompts.h"
#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "settings/KeyTable.h"
#include "settings/SequenceStop.h"

#include "text/Cp1251.h"
#include "text/Numbers.h"

#include <QCoreApplication>
#include <QScopedValueRollback>

namespace kvmt {

namespace {

const QString kNoTrackerText = QStringLiteral("---------");
const QString kNoValueText = QStringLiteral("---");

} // namespace

quint32 parseFirmwareVersion(const QByteArray &text)
{
    // Read as scanf("KVMT-%d.%d") would: an item that is not matched is 0.
    static constexpr QByteArrayView kPrefix("KVMT-");
    if (!text.startsWith(kPrefix))
        return 0;
    const QByteArrayView rest = QByteArrayView(text).sliced(kPrefix.size());
    qsizetype used = 0;
    const std::optional<int> major = leadingInt(rest, &used);
    if (!major)
        return 0;
    int minor = 0;
    if (used < rest.size() && rest[used] == '.')
        minor = leadingInt(rest.sliced(used + 1)).value_or(0);
    return quint32(qint64(*major) * 100 + minor);
}

qint32 parseSerialNumber(const QByteArray &text)
{
    // Out of the 32-bit range is "not a number" too, not a clipped one.
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

ConnectionMonitor::ConnectionMonitor(DeviceLink &link, DeviceSettings &settings, EventLog &log,
                                     UserPrompts &prompts, TrackerIdentity &identity, LinkFlags &flags,
                                     QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_settings(settings)
    , m_log(log)
    , m_prompts(prompts)
    , m_identity(identity)
    , m_flags(flags)
{
    m_devtimer.setSingleShot(true);
    m_timer5.setSingleShot(true);
    setIntervals(kIntervalMs);
    connect(&m_devtimer, &QTimer::timeout, this, &ConnectionMonitor::devtimerTimer);
    connect(&m_timer5, &QTimer::timeout, this, &ConnectionMonitor::Timer5Timer);
}

void ConnectionMonitor::setIntervals(int ms)
{
    m_devtimer.setInterval(ms);
    m_timer5.setInterval(ms);
}

void ConnectionMonitor::start()
{
    m_timer5.start();
}

void ConnectionMonitor::WMDeviceChange()
{
    m_devtimer.stop();
    m_devtimer.start();
}

void ConnectionMonitor::Timer5Timer()
{
    m_timer5.stop();
    m_devtimer.start();
}

void ConnectionMonitor::devtimerTimer()
{
    m_devtimer.stop();
    // A modal box or dialog keeps timers running: a run now would re-open the
    // tracker under an identification, or open a box over a box. It comes
    // when the run or the box that holds it ends.
    if (m_inRun || m_holds > 0) {
        m_deferredRun = true;
        return;
    }
    // Under another sequence (a Save, a test, a console command): its own
    // end does not know about the monitor, so the run simply comes again
    // later.
    std::optional<DeviceLink::Claim> claim = m_link.claim();
    if (!claim) {
        m_devtimer.start();
        return;
    }
    const QScopedValueRollback<bool> inRun(m_inRun, true);
    ++m_runCount;

    if (!m_link.library().load()) {
        // Once per absence: the timer stays off until the next notice.
        m_prompts.showError(QStringLiteral("Korvel Firmware Loader"),
                            tr("Драйвер устройств RW не установлен."));
        // A notice that came while the box was open is taken up now.
        resumeDeferred();
        emit runFinished();
        return;
    }
    if (!(m_flags & LinkFlag::Connected))
        m_log.clear();

    QList<QByteArray> names;
    uint32_t count = 0;
    if (m_link.countDevices(&count) == 0) {
        if (count == 0) {
            m_flags &= ~LinkFlags(LinkFlag::Present);
        } else if (m_link.listDevices(&names) == 0 && !names.isEmpty()) {
            const QByteArray name = m_deviceName.isEmpty() ? names.first() : m_deviceName;
            if (!m_deviceName.isEmpty() && !names.contains(m_deviceName)) {
                m_flags &= ~LinkFlags(LinkFlag::Present);
            } else if (m_flags & LinkFlag::Connected) {
                reopenConnected(name);
            } else if (m_link.openDevice(name) == 0) {
                m_flags |= LinkFlag::Present;
                m_connectedName = name;
            }
        }
    }

    if ((m_flags & LinkFlag::Present) && !(m_flags & LinkFlag::Connected)) {
        // Identification and read look at the stop between their exchanges.
        claim->setStoppable(true);
        connectNew();
    } else if ((m_flags & LinkFlag::Connected) && !(m_flags & LinkFlag::Present)) {
        releaseLost();
    }
    claim.reset();
    resumeDeferred();
    emit runFinished();
}

void ConnectionMonitor::reopenConnected(const QByteArray &name)
{
    // The first listed tracker is not always the one identified: with two
    // attached, unplugging the one read leaves the other first, and trackers
    // may all list the same name. Re-opened without a check, the window
    // would go on showing one tracker's settings, and its Save would write
    // them into another and file that one's copies under the first's serial.
    const bool opened = m_link.openDevice(name) == 0;
    if (opened && isTheIdentifiedTracker(name))
        return;
    // Another tracker, or no handle at all (the open failed): the window
    // lets go of the tracker it shows, and whatever is attached now
    // is connected anew, identified and read.
    releaseLost();
    m_flags &= ~LinkFlags(LinkFlag::Present);
    if (opened && m_link.openDevice(name) == 0) {
        m_flags |= LinkFlag::Present;
        m_connectedName = name;
    } else if (!opened) {
        // A tracker still attached is taken up by the next run.
        m_deferredRun = true;
    }
}

bool ConnectionMonitor::isTheIdentifiedTracker(const QByteArray &name)
{
    if (name != m_connectedName)
        return false;
    m_link.sendCommand("NUMBER=?;");
    // A tracker that has stopped answering, listed under the same name, says
    // nothing against being the one shown; taken for another, it would lose
    // the settings the window shows of it to an identification it cannot
    // answer.
    if (m_link.receiveReply() != 0 || m_link.replyKey() != "NUMBER")
        return true;
    // A serial now where identification got none is a tracker never
    // identified.
    return m_connectedNumber && m_link.replyValue() == *m_connectedNumber;
}

void ConnectionMonitor::holdRuns()
{
    ++m_holds;
}

void ConnectionMonitor::releaseRuns()
{
    if (m_holds > 0 && --m_holds == 0 && !m_inRun)
        resumeDeferred();
}

void ConnectionMonitor::resumeDeferred()
{
    if (m_deferredRun) {
        m_deferredRun = false;
        m_devtimer.start();
    }
}

void ConnectionMonitor::connectNew()
{
    // A stop meant the previous tracker's sequence, not this one's.
    if (m_stop)
        m_stop->clear();
    m_flags |= LinkFlag::Connected;
    if (m_hooks.connecting)
        m_hooks.connecting();
    identifyDevice();
    applyFirmwareGates();
    if (m_hooks.buildSummary)
        m_hooks.buildSummary();
    if (m_hooks.applyProfileLayout)
        m_hooks.applyProfileLayout();
    // Not read (stopped, no answer, no password): the fields hold nothing of
    // this tracker, perhaps the tracker's before, and a test's settings
    // would write them into it. A read after an unlock on the security page
    // offers the tests again.
    const bool settingsHeld =
        m_outcome == Identification::SettingsRead || m_outcome == Identification::ReadSkipped;
    // Save stays offered (a window filled by no read of this tracker asks
    // first), except after a stop the person meant for the whole connection.
    m_settings.setEnabled(F::btSave, m_outcome != Identification::Stopped);
    for (const F button : {F::btTestSMS, F::btSrvTest, F::btTestSMTP})
        m_settings.setVisible(button, settingsHeld);
    for (const F button : {F::btOnOffPIN, F::btChangePIN, F::edResetLockMp})
        m_settings.setEnabled(button, true);
}

void ConnectionMonitor::releaseLost()
{
    if (m_hooks.stopLogReader)
        m_hooks.stopLogReader();
    m_flags &= ~LinkFlags(LinkFlag::LogPortOpen);
    m_link.closeDevice();
    m_log.clear();
    m_flags &= ~LinkFlags(LinkFlag::Connected);

    m_settings.setEnabled(F::btOpenLog, false);
    m_settings.setText(F::pSerial, kNoTrackerText);
    m_settings.setText(F::pVersion, kNoTrackerText);
    m_settings.setText(F::Ubattery, kNoValueText);
    m_settings.setText(F::Temper, kNoValueText);
    m_settings.setEnabled(F::edMapFormat_1, false);
    m_settings.setEnabled(F::edMapFormat_2, false);
    m_settings.setVisible(F::cbSSL, false);
    m_settings.setEnabled(F::btSave, false);
    for (const F button : {F::btTestSMS, F::btSrvTest, F::btTestSMTP})
        m_settings.setVisible(button, false);
    for (const F button : {F::btOnOffPIN, F::btChangePIN, F::edResetLockMp})
        m_settings.setEnabled(button, false);
    // The next reading puts the user-profile entries of the new firmware back.
    m_settings.truncateItems(F::cbProfile, 5);
}

void ConnectionMonitor::identifyDevice()
{
    m_outcome = Identification::Running;
    m_connectedNumber.reset();
    m_log.logEvent(m_identifyingOnly ? tr("Опознание прибора") : tr("Чтение параметров"), LogSuccess);

    m_link.sendCommand("NUMBER=?;");
    if (m_link.receiveReply() != 0) {
        m_log.logEvent(QStringLiteral("NUMBER error"), LogError);
        // The serial of a tracker shown before must not pass for this one's:
        // its copies, backups and password list are filed under it.
        m_settings.setText(F::pSerial, QString::fromUtf16(DeviceSettings::info(F::pSerial).designText));
        m_identity.serialNumber = 0;
    } else {
        if (m_link.replyKey() == "NUMBER")
            m_connectedNumber = m_link.replyValue();
        m_settings.setText(F::pSerial, fromCp1251(m_link.replyValue()));
        m_identity.serialNumber = parseSerialNumber(m_link.replyValue());
        if (m_identity.serialNumber == 0)
            m_log.logEvent(QStringLiteral("NUMBER = 0"), LogError);
    }

    if (stoppedHere())
        return;
    m_link.sendCommand("VERSION=?;");
    if (m_link.receiveReply() != 0) {
        m_log.logEvent(QStringLiteral("VERSION error"), LogError);
    } else {
        m_settings.setText(F::pVersion, fromCp1251(m_link.replyValue()));
        m_identity.firmwareVersion = parseFirmwareVersion(m_link.replyValue());
    }

    if (stoppedHere())
        return;
    m_link.sendCommand("SECURESETUP=?;");
    const bool answered = m_link.receiveReply() == 0;
    // Before the password dialog: a stop must not end in a password sent.
    if (stoppedHere())
        return;
    const std::optional<int> protection = answered ? protectionAnswer() : std::nullopt;
    if (!protection) {
        m_outcome = Identification::NoProtectionAnswer;
        return;
    }
    // Set both ways: a protected tracker must not leave the box ticked for
    // the next, unprotected one.
    m_settings.setChecked(F::cbPINCode, (*protection & 0xFF) != 0);

    if (m_settings.isChecked(F::cbPINCode)) {
        const std::optional<QByteArray> password = m_prompts.askDevicePassword();
        if (!password) {
            // The question ended by a stop is no wrong password.
            if (stoppedHere())
                return;
            m_log.logEvent(tr("Неверный пароль. Доступ не возможен"), LogError);
            m_outcome = Identification::PasswordNotGiven;
            return;
        }
        m_link.sendCommand("SECUREOFFTMP=" + *password + ';');
        // A garbled answer is no verdict on the password: neither "OK" nor
        // the refusal that closes the program. The settings stay unread, and
        // the person is told why, or a locked tracker would look read.
        const bool verdict = m_link.receiveReply() == 0 && m_link.replyKey() == "SECUREOFFTMP";
        const std::optional<int> accepted = verdict ? strictInt(m_link.replyValue()) : std::nullopt;
        if (!accepted) {
            m_log.logEvent(tr("Трекер не ответил на пароль. Настройки не считаны"), LogError);
            m_outcome = Identification::NoPasswordVerdict;
            return;
        }
        if ((*accepted & 0xFF) == 0) {
            m_log.logEvent(tr("Неверный пароль. Доступ не возможен"), LogError);
            m_outcome = Identification::PasswordRefused;
            m_prompts.closeProgram();
            return;
        }
        m_log.logEvent(tr("Пароль OK"), LogSuccess);
    }

    if (stoppedHere())
        return;
    if (m_settings.isChecked(F::cbReadSetup)) {
        m_outcome = Identification::ReadSkipped;
        return;
    }
    m_outcome = Identification::SettingsRead;
    if (m_hooks.readSettings)
        m_hooks.readSettings();
}

bool ConnectionMonitor::stoppedHere()
{
    if (!m_stop || !m_stop->requested())
        return false;
    m_outcome = Identification::Stopped;
    m_log.logEvent(tr("Чтение остановлено: настройки не считаны"), LogError);
    return true;
}

std::optional<int> ConnectionMonitor::protectionAnswer() const
{
    // Firmware that does not know the query has no protection to ask about.
    if (m_link.replyKey() == "NO_CMD")
        return 0;
    // A locked tracker answers every query so: its settings need the
    // password, as a protected one's do.
    if (m_link.replyKey() == kLockedReply)
        return 1;
    // Anything else (noise, another query's late reply) tells nothing of the
    // protection; read as "none", a locked tracker would be taken for read.
    if (m_link.replyKey() != "SECURESETUP")
        return std::nullopt;
    return leadingInt(m_link.replyValue());
}

void ConnectionMonitor::applyFirmwareGates()
{
    const quint32 version = m_identity.firmwareVersion;
    m_settings.setVisible(F::cbAutoSummerTime, version > 140);
    const bool templates = version >= 132;
    m_settings.setEnabled(F::edMapFormat_1, templates);
    m_settings.setEnabled(F::edMapFormat_2, templates);
    if (!templates) {
        m_settings.setText(F::edMapFormat_1, QStringLiteral("Google Maps"));
        m_settings.setText(F::edMapFormat_2, QCoreApplication::translate("kvmt::DeviceSettings", "Яндекс карты"));
    }
    m_settings.setVisible(F::GroupBox13, version >= 144);
    m_settings.setVisible(F::cbCallOnNumber, version >= 144);
}

} // namespace kvmt
