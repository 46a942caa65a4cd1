#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

class QIODevice;

namespace kvmt {

class DeviceSettings;
class EventLog;
class ReadSequence;
class SettingsBuffer;
class UserPrompts;
class WriteSequence;

// The profile files (*.atc): complete settings as the lines of a write, for
// keeping a configuration on the computer and copying it to other trackers.
// Loading fills the window from a file and saving writes the window into
// one; neither talks to the tracker, and both work without one.
class ProfileFile
{
    Q_DECLARE_TR_FUNCTIONS(kvmt::ProfileFile)

public:
    ProfileFile(SettingsBuffer &buffer, ReadSequence &reader, WriteSequence &writer, const DeviceSettings &settings,
                EventLog &log, UserPrompts &prompts);

    // The menu commands: each asks for a file, then loads or saves it.
    void N4Click();
    // The save dialog proposes the device name as the file's name.
    void N5Click();

    enum class LoadOutcome {
        Read,       // the file's settings went into the window
        EntriesRefused, // went in but for entries the read could not take
                        // (a ';' in a value, an item missing or no number):
                        // named in a message box, the members keep theirs
        ShortRead,  // read ran with nothing loaded: every key reported missing
        Missing,    // no such file; told in a message box
        Unreadable, // exists but could not be opened; told in a message box
        Empty,      // logged; buffer and window unchanged
        TooLarge,   // more than the settings buffer holds; told in a message box
    };
    // The load after the dialog: the named file into the settings buffer,
    // then into the window.
    LoadOutcome load(const QString &path);
    // The same from a device already open for reading, whose size() is
    // the size of the file.
    LoadOutcome loadFrom(QIODevice &file);
    // The save after the dialog. ".atc" is appended to whatever was chosen,
    // also to a name that already ends in it: files are never overwritten by
    // a name that merely looks like theirs. Returns whether the file landed.
    bool save(const QString &chosenName);
    // The same to exactly this path, for tools whose user typed the suffix.
    bool saveAs(const QString &path);

    // Told just before a file's settings go into the members.
    void setBeforeLoad(std::function<void()> told) { m_beforeLoad = std::move(told); }

    // The dialogs, as the person sees them. Filters are "description|pattern".
    static QString openTitle();
    static QString openFilter();
    static QString openInitialName();
    static QString saveTitle();
    static QString saveFilter();

private:
    void refuse(const QString &text);

    SettingsBuffer &m_buffer;
    ReadSequence &m_reader;
    WriteSequence &m_writer;
    const DeviceSettings &m_settings;
    EventLog &m_log;
    UserPrompts &m_prompts;
    std::function<void()> m_beforeLoad;
};

} // namespace kvmt
