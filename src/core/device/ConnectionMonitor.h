#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

#include "device/LinkFlags.h"
#include "settings/TrackerIdentity.h"

namespace kvmt {

class DeviceLink;
class DeviceSettings;
class EventLog;
class SequenceStop;
class UserPrompts;

// The program's main loop over the device link. A one-shot timer, restarted
// by every device-change notice, lists the attached trackers and opens the
// first; a new connection is identified and read, a lost one is released and
// the window reset. Without notices it stays idle: nothing polls.
class ConnectionMonitor : public QObject
{
    Q_OBJECT

public:
    // Steps of a new connection that belong to other parts of the program.
    struct Hooks {
        std::function<void()> readSettings;       // from the tracker
        std::function<void()> buildSummary;
        std::function<void()> applyProfileLayout;
        std::function<void()> stopLogReader;      // and close its port
        std::function<void()> connecting;         // a new tracker, before its identification
    };

    static constexpr int kIntervalMs = 500;

    // How the last identification ended: tools that must not report a read
    // that never happened ask for it.
    enum class Identification {
        None,               // no tracker identified yet
        Running,            // the read is under way
        SettingsRead,       // the read ran (each key it missed is logged)
        ReadSkipped,        // "do not read at connection" is ticked
        NoProtectionAnswer, // SECURESETUP got no answer, or one no tracker gives
        PasswordNotGiven,
        NoPasswordVerdict,  // SECUREOFFTMP got no answer the tracker would give
        PasswordRefused,    // the program closes
        Stopped,            // a stop was requested between two exchanges
    };

    ConnectionMonitor(DeviceLink &link, DeviceSettings &settings, EventLog &log, UserPrompts &prompts,
                      TrackerIdentity &identity, LinkFlags &flags, QObject *parent = nullptr);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    // Starts the start-up timer: the first run comes two intervals later.
    void start();
    // Tests shorten the intervals; the behaviour stays the same.
    void setIntervals(int ms);

    // The system's (or a virtual tracker's) device-change notice: the next
    // run comes one interval after the last notice of a burst.
    void WMDeviceChange();
    void Timer5Timer();
    void devtimerTimer();

    void identifyDevice();
    void applyFirmwareGates();

    // Tools that serve several trackers in turn name the one to open; a run
    // then finds nothing present unless that name is listed. Empty (the
    // window's way): the first listed tracker.
    void setDeviceName(const QByteArray &name) { m_deviceName = name; }
    // Identification ends after the exchange in progress once this is
    // requested, without reading the settings.
    void setStop(SequenceStop *stop) { m_stop = stop; }
    // A tool that only identifies the tracker (the raw console) says so as
    // its opening line instead of the window's "Чтение параметров", which
    // the window logs even with its "do not read" box ticked.
    void setIdentifyingOnly(bool only) { m_identifyingOnly = only; }

    bool isRunPending() const { return m_devtimer.isActive() || m_deferredRun; }

    // While a modal box or dialog of the window is open (held once per box),
    // runs wait, as they wait for the run under way: one comes after the
    // last box closes if a notice arrived meanwhile.
    void holdRuns();
    void releaseRuns();
    int runCount() const { return m_runCount; }
    Identification lastIdentification() const { return m_outcome; }

signals:
    // After every monitor run, for views and tools that wait for one.
    void runFinished();

private:
    void connectNew();
    // A run that finds a tracker while one is connected: true when the one
    // opened now is the one identified; otherwise the lost-connection steps
    // have run and the tracker listed now is open for a new connection.
    void reopenConnected(const QByteArray &name);
    bool isTheIdentifiedTracker(const QByteArray &name);
    void resumeDeferred();
    // True, with the outcome set, when a stop ends identification here.
    bool stoppedHere();
    // What a reply to SECURESETUP=?; says: the protection, or nullopt when
    // it is no answer a tracker gives to that query.
    std::optional<int> protectionAnswer() const;
    void releaseLost();

    DeviceLink &m_link;
    DeviceSettings &m_settings;
    EventLog &m_log;
    UserPrompts &m_prompts;
    TrackerIdentity &m_identity;
    LinkFlags &m_flags;
    Hooks m_hooks;
    QTimer m_devtimer;
    QTimer m_timer5;
    QByteArray m_deviceName;
    bool m_inRun = false;
    int m_holds = 0;
    bool m_deferredRun = false;
    Identification m_outcome = Identification::None;
    SequenceStop *m_stop = nullptr;
    bool m_identifyingOnly = false;
    int m_runCount = 0;
    // The tracker the window shows: its listed name and its NUMBER reply at
    // identification (nullopt: it gave none).
    QByteArray m_connectedName;
    std::optional<QByteArray> m_connectedNumber;
};

// "KVMT-1.44" gives 144; anything that does not match gives 0.
quint32 parseFirmwareVersion(const QByteArray &text);
// A signed 32-bit decimal; 0 when the text is not one.
qint32 parseSerialNumber(const QByteArray &text);

} // namespace kvmt
