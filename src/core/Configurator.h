#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

#include "device/ConnectionMonitor.h"
#include "device/DeviceLibrary.h"
#include "device/DeviceLink.h"
#include "device/LinkFlags.h"
#include "device/MonotonicClock.h"
#include "profiles/EditingRules.h"
#include "profiles/ProfileLayout.h"
#include "profiles/ProfileSelection.h"
#include "profiles/SettingsSummary.h"
#include "provision/PendingChanges.h"
#include "services/CommunicationTests.h"
#include "services/FactoryDefaults.h"
#include "services/PasswordProtection.h"
#include "settings/DeviceSettings.h"
#include "settings/KeyTable.h"
#include "settings/ProfileFile.h"
#include "settings/ReadHistory.h"
#include "settings/ReadSequence.h"
#include "settings/SequenceStop.h"
#include "settings/SettingsBuffer.h"
#include "settings/TrackerIdentity.h"
#include "settings/WriteSequence.h"
#include "shell/CdcLog.h"
#include "shell/CommandConsole.h"

namespace kvmt {

class EventLog;
class UserPrompts;

// Everything the program knows and does, without a window: the device link,
// the settings model and the sequences over them. The window and the
// command-line tool each own one and show it their own way.
class Configurator : public QObject
{
    Q_OBJECT

public:
    // libraryDirs: where to look for the device library after the standard
    // search (the program's own folder).
    Configurator(EventLog &log, UserPrompts &prompts, QStringList libraryDirs, QObject *parent = nullptr);
    ~Configurator() override;

    DeviceLibrary &library() { return m_library; }
    DeviceLink &link() { return m_link; }
    DeviceSettings &settings() { return m_settings; }
    ConnectionMonitor &monitor() { return m_monitor; }
    CommunicationTests &tests() { return m_tests; }
    PasswordProtection &protection() { return m_protection; }
    TrackerIdentity &identity() { return m_identity; }
    LinkFlags &flags() { return m_flags; }
    bool isConnected() const { return m_flags.testFlag(LinkFlag::Connected); }
    EventLog &log() { return m_log; }
    SettingsBuffer &settingsBuffer() { return m_settingsBuffer; }
    KeyTable &keyTable() { return m_keyTable; }
    ReadSequence &reader() { return m_reader; }
    WriteSequence &writer() { return m_writer; }
    ReadHistory &history() { return m_history; }
    CdcLog &cdcLog() { return m_cdcLog; }
    CommandConsole &console() { return m_console; }
    // What Save would change on the tracker, as the members stand.
    PendingChanges &pendingChanges() { return m_pendingChanges; }
    // Ends the read, write, identification or test under way after the
    // exchange in progress.
    SequenceStop &stop() { return m_stop; }
    // Before a sequence the person starts: a stop pressed for an earlier one
    // does not stop it. One pressed for a sequence still holding the link
    // stays, as the new one will be refused. One pressed for a test between
    // two of its polls ends that test first, or the test would poll on.
    void clearStaleStop()
    {
        m_tests.takeStop();
        if (!m_link.isClaimed() && !m_link.isWaiting())
            m_stop.clear();
    }

    // The program's folder: automatic profile copies and the "ATG" password
    // lists go there. Starts as the executable's folder when it is writable,
    // else the user's data folder for the program.
    void setExeDir(const QString &dir) { m_writer.setExeDir(dir); }
    void readSettings(bool fromFile) { m_reader.readSettings(fromFile); }
    bool writeSettings(bool toFile) { return m_writer.writeSettings(toFile); }
    // The sequences a person starts. Each takes the link for its run and is
    // refused (false, nothing sent) while another sequence holds it or an
    // exchange is waited for: whatever runs inside a wait (a timer, an
    // accessibility action pressing a button) cannot start one.
    // Save: write to the tracker, then read it back.
    bool btSaveClick();
    // Save from a window that neither a read of a tracker nor a profile
    // file filled (blanks and defaults, not settings anybody chose) asks
    // the person first, shown what would be written.
    // Whether the members came from a tracker's read or a profile file in
    // this run (a locked or silent read fills nothing).
    bool isFilled() const { return m_filled; }

    // The person picked a profile: READPROFILE and a full read while a
    // tracker is connected, then the page's layout.
    bool cbProfileChange();
    // The security page's buttons.
    bool btOnOffPINClick() { return underClaim([this] { m_protection.btOnOffPINClick(); }); }
    bool btChangePINClick() { return underClaim([this] { m_protection.btChangePINClick(); }); }
    bool edResetLockMpClick() { return underClaim([this] { m_protection.edResetLockMpClick(); }); }
    void applyProfileLayout() { m_profileLayout.applyProfileLayout(); }
    ProfileFile &profileFile() { return m_profileFile; }
    void N4Click() { m_profileFile.N4Click(); }
    void N5Click() { m_profileFile.N5Click(); }
    void btDefaultSetupClick() { m_factoryDefaults.btDefaultSetupClick(); }
    // Builds the summary of the window's settings and hands it to whoever
    // shows it (summaryBuilt); a radius that is no integer is then told to
    // the person, as a pasted number the field rules cannot read is.
    SettingsSummary buildSettingsSummary();

signals:
    void summaryBuilt(const kvmt::SettingsSummary &summary);
    // A sequence took or let go of the link, or began or ceased to look at
    // the stop request: the window offers Stop meanwhile.
    void linkClaimChanged();

private:
    // A tracker just unlocked on the security page whose settings were not
    // read on this connection is read at once, as a connection would have.
    void readAfterUnlock();
    QString unfilledSaveQuestion() const;
    bool underClaim(const std::function<void()> &sequence, bool stoppable = false);

    EventLog &m_log;
    UserPrompts &m_prompts;
    SteadyClock m_clock;
    SequenceStop m_stop;
    DeviceLibrary m_library;
    DeviceLink m_link;
    DeviceSettings m_settings;
    TrackerIdentity m_identity;
    LinkFlags m_flags;
    ConnectionMonitor m_monitor;
    SettingsBuffer m_settingsBuffer;
    KeyTable m_keyTable;
    ReadSequence m_reader;
    WriteSequence m_writer;
    // Every complete read from a tracker is also kept as a dated profile
    // file, so that a bad write can be undone.
    ReadHistory m_history;
    CommunicationTests m_tests;
    PasswordProtection m_protection;
    // Installed on the model for the configurator's life: a read or a load
    // edits the fields as a person would, under the same rules.
    EditingRules m_editingRules;
    ProfileLayout m_profileLayout;
    ProfileSelection m_profileSelection;
    ProfileFile m_profileFile;
    FactoryDefaults m_factoryDefaults;
    CdcLog m_cdcLog;
    CommandConsole m_console;
    PendingChanges m_pendingChanges;
    bool m_filled = false;
    // This connection's tracker answered a read: its settings are shown.
    bool m_readThisConnection = false;
};

} // namespace kvmt
