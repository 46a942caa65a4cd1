#pragma once

#include <QFileDevice>

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "device/LinkFlags.h"
#include "settings/KeyTable.h"
#include "settings/SequenceProgress.h"

namespace kvmt {

class CommandChannel;
class EventLog;
class ReadSequence;
class SequenceStop;
class SettingsBuffer;

// Turns the settings into one command per key, in a fixed order. Every
// command becomes a line of the settings buffer; to a tracker it is also sent
// and the tracker's echo applied back, then the tracker is told to store its
// settings and the password list is written. The lines always end in a
// profile file: the one the user chose, or the tracker's automatic copy in
// the program's folder.
class WriteSequence
{
public:
    WriteSequence(CommandChannel &channel, SettingsBuffer &buffer, KeyTable &keys, DeviceSettings &settings,
                  const LinkFlags &flags, EventLog &log);

    // Where the automatic copies and the "ATG" folder go.
    void setExeDir(const QString &dir) { m_exeDir = dir; }
    const QString &exeDir() const { return m_exeDir; }
    // The profile file a write to a file goes to, as the save command chose it.
    void setSaveFileName(const QString &name) { m_saveFileName = name; }
    // Profile files hold the APN, server and e-mail passwords. Those the
    // program keeps on its own (automatic copies, read backups) are the
    // owner's only; a file the user saves keeps the user's umask.
    void setSaveFilePrivate(bool ownerOnly) { m_saveFilePrivate = ownerOnly; }

    // To the tracker (only while one is connected) or to the save file.
    // Returns whether the profile file was written (for the save file: whole,
    // with no line left out for lack of room); every failure on the way has
    // been logged by then.
    bool writeSettings(bool toFile);
    // The Save button: write to the tracker, then read everything back so
    // the window shows what the tracker now holds.
    void btSaveClick(ReadSequence &reader);

    // Told key by key how far each write has got; a write to the tracker
    // counts the closing SAVECONFIG as its last exchange.
    void setProgress(SequenceProgress progress) { m_progress = std::move(progress); }
    // A write ends after the exchange in progress once this is requested:
    // no SAVECONFIG, no automatic copy, no password list, no read back; the
    // red line counts the settings sent but not stored. A stop during
    // SAVECONFIG leaves out only the read back, and says so.
    void setStop(const SequenceStop *stop) { m_stop = stop; }

    // Keys the last write to the tracker sent that the tracker did not take:
    // no reply, or "DEVLOCK;" from a locked tracker. In write order.
    QList<Key> lastNotTaken() const;
    // Whether the last write to the tracker got SAVECONFIG acknowledged:
    // only then are the settings stored and the password list written, and
    // from then on they are in the tracker's flash, whatever comes after.
    bool lastSaved() const { return m_saved; }

    // The automatic copy and the password list of the tracker in pSerial;
    // empty while no program folder is set.
    QString autoCopyPath() const;
    QString passwordListPath() const;

private:
    // The keys from `first` on that the gates let through as they stand.
    int openKeysFrom(size_t first, Source target) const;
    void appendLine(const QByteArray &line, const char *what);
    void sendAndApplyEcho(Key key, const QByteArray &command);
    bool profileInList() const;
    void leaveOutUnselectedProfile();
    void leaveOutCutValue(Key key);
    bool stopRequested() const;
    // The red line of a write stopped before SAVECONFIG.
    void logStoppedUnstored(int notSent);
    void saveConfig();
    bool writePasswordList();
    bool writeFile(const QString &path, const QByteArray &bytes,
                   std::optional<QFileDevice::Permissions> permissions = std::nullopt);

    CommandChannel &m_channel;
    SettingsBuffer &m_buffer;
    KeyTable &m_keys;
    DeviceSettings &m_settings;
    const LinkFlags &m_flags;
    EventLog &m_log;
    QString m_exeDir;
    QString m_saveFileName;
    bool m_linesLeftOut = false;
    struct NotTaken {
        Key key;
        bool locked;
    };
    QList<NotTaken> m_notTaken;
    bool m_saved = false;
    bool m_saveFilePrivate = false;
    // Of the write under way: commands sent, and whether a stop ended it
    // before the settings were stored.
    int m_sent = 0;
    bool m_stoppedUnstored = false;
    const SequenceStop *m_stop = nullptr;
    SequenceProgress m_progress;
};

// The serial number as part of a file name. It comes from the tracker, so
// anything but letters, digits, '-' and '_' becomes '_': a reply can never
// steer a file out of its folder. Serials as trackers send them (digits) and
// the dashes shown without a tracker stay as they are.
QString serialFileStem(const QString &serial);

// Whether `serial` is one the tracker gave: not empty and not the
// placeholder a tracker that never answered NUMBER leaves. A garbled one
// counts (its files are named by serialFileStem); the placeholder would
// gather every such tracker's files under one name.
bool isGivenSerial(const QString &serial);

// Makes the folder and its missing parents, and leaves the folder itself
// open to its owner only: it holds password-bearing files.
bool makePrivateFolder(const QString &path);

// Takes group and others' access away from the files in `dir` whose names
// match `nameFilters`: copies and password lists that earlier versions left
// readable to all are closed the next time their folder is written.
void closeToOthers(const QString &dir, const QStringList &nameFilters);

} // namespace kvmt
