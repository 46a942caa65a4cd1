#include "Configurator.h"

#include "device/UserPrompts.h"
#include "log/EventLog.h"
#include "provision/WrittenValues.h"
#include "shell/ExeDir.h"

#include <QCoreApplication>

namespace kvmt {

Configurator::Configurator(EventLog &log, UserPrompts &prompts, QStringList libraryDirs, QObject *parent)
    : QObject(parent)
    , m_log(log)
    , m_prompts(prompts)
    , m_library(std::move(libraryDirs))
    , m_link(m_library, m_clock)
    , m_monitor(m_link, m_settings, m_log, m_prompts, m_identity, m_flags)
    , m_keyTable(m_settings, m_identity, m_log)
    , m_reader(m_link, m_settingsBuffer, m_keyTable, m_settings, m_identity, m_log)
    , m_writer(m_link, m_settingsBuffer, m_keyTable, m_settings, m_flags, m_log)
    , m_history(m_link, m_keyTable, m_settings, m_log)
    , m_tests(m_link, m_settings, m_log)
    , m_protection(m_link, m_settings, m_log, m_flags)
    , m_editingRules(m_settings, m_identity, m_prompts)
    , m_profileLayout(m_settings)
    , m_profileSelection(m_link, m_settings, m_flags, m_log, m_reader, m_profileLayout)
    , m_profileFile(m_settingsBuffer, m_reader, m_writer, m_settings, m_log, m_prompts)
    , m_factoryDefaults(m_settings)
    , m_cdcLog(m_flags)
    , m_console(m_link, m_log, m_flags)
    , m_pendingChanges(m_settings, m_keyTable, m_identity)
{
    ConnectionMonitor::Hooks hooks;
    hooks.readSettings = [this] { m_reader.readSettings(false); };
    hooks.buildSummary = [this] { buildSettingsSummary(); };
    hooks.applyProfileLayout = [this] { m_profileLayout.applyProfileLayout(); };
    hooks.stopLogReader = [this] { m_cdcLog.stop(); };
    // Whatever filled the window before, it was not this tracker's read.
    hooks.connecting = [this] {
        m_filled = false;
        m_readThisConnection = false;
    };
    m_monitor.setHooks(std::move(hooks));
    m_monitor.setStop(&m_stop);
    m_link.setClaimChanged([this] { emit linkClaimChanged(); });
    m_reader.setStop(&m_stop);
    m_writer.setStop(&m_stop);
    m_tests.setStop(&m_stop);
    m_reader.setTrackerReadStarting([this] { m_pendingChanges.holdForTrackerRead(); });
    // A read the tracker did not answer in full is no backup to restore.
    m_reader.setTrackerReadDone([this](const QList<Key> &unanswered) {
        // A stopped read filled only some fields: the rest are not this
        // tracker's, so Save asks first.
        if (m_reader.lastTaken() > 0 && !m_stop.requested()) {
            m_filled = true;
            m_readThisConnection = true;
        }
        if (unanswered.isEmpty())
            m_history.keep(m_writer.exeDir());
        // What the tracker reported, before any rule of the window touches
        // it: a switch the profile's layout forces is a change Save sends.
        m_pendingChanges.takeTrackerRead(unanswered);
    });
    m_profileFile.setBeforeLoad([this] {
        m_filled = true;
        m_pendingChanges.beforeFileLoad();
    });
    m_protection.setAccepted([this] { readAfterUnlock(); });
    connect(&m_monitor, &ConnectionMonitor::runFinished, this, [this] {
        if (!isConnected()) {
            m_pendingChanges.forgetTracker();
            m_readThisConnection = false;
        }
    });
    if (QCoreApplication::instance())
        m_writer.setExeDir(programExeDir());
}

Configurator::~Configurator()
{
    m_link.setClaimChanged({});
}

bool Configurator::underClaim(const std::function<void()> &sequence, bool stoppable)
{
    const std::optional<DeviceLink::Claim> claim = m_link.claim(stoppable);
    if (!claim)
        return false;
    sequence();
    return true;
}

bool Configurator::btSaveClick()
{
    return underClaim(
        [this] {
            if (isConnected() && !m_filled
                && !m_prompts.askYesNo(QStringLiteral("Korvel-MT Conf"), unfilledSaveQuestion())) {
                m_log.logEvent(QCoreApplication::translate("kvmt::Configurator", "Запись отменена"), LogNotice);
                return;
            }
            m_writer.btSaveClick(m_reader);
        },
        true);
}

bool Configurator::cbProfileChange()
{
    return underClaim([this] { m_profileSelection.cbProfileChange(); }, true);
}

QString Configurator::unfilledSaveQuestion() const
{
    QStringList commands;
    for (const WrittenValue &value : writtenValues(m_keyTable, m_settings, m_identity, ValueSide::Written))
        commands.append(QString::fromLatin1(KeyTable::name(value.key)) + u'=' + displayValue(value.key, value.value)
                        + u';');
    return QCoreApplication::translate("kvmt::Configurator",
                                       "Настройки трекера не считаны, и окно не заполнено из файла профиля. "
                                       "Запись отправит в трекер значения окна, а не трекера:\n\n%1\n\n"
                                       "Записать их?")
        .arg(commands.join(u' '));
}

void Configurator::readAfterUnlock()
{
    // With "do not read" ticked the person chose an unread window; Save
    // then asks before it writes one.
    if (!isConnected() || m_readThisConnection || m_settings.isChecked(F::cbReadSetup))
        return;
    m_stop.clear();
    m_log.logEvent(QCoreApplication::translate("kvmt::WriteSequence", "Чтение параметров"), LogSuccess);
    m_reader.readSettings(false);
    buildSettingsSummary();
    m_profileLayout.applyProfileLayout();
    m_settings.setEnabled(F::btSave, true);
    for (const F button : {F::btTestSMS, F::btSrvTest, F::btTestSMTP})
        m_settings.setVisible(button, true);
}

SettingsSummary Configurator::buildSettingsSummary()
{
    SettingsSummary summary = SettingsSummary::build(m_settings, m_identity.firmwareVersion);
    // Shown first: the pane keeps the rows before the radius when the
    // message comes.
    emit summaryBuilt(summary);
    if (summary.badRadius())
        m_prompts.showMessage(FieldRules::notAnIntegerMessage(*summary.badRadius()));
    return summary;
}

} // namespace kvmt
