// Profile files (*.atc) as anyone may hand them over. Loading one takes it
// whole or refuses it whole, with the editing rules installed as in the
// program; and whatever the file held, the profile the window then saves
// settles after one load: loaded into a fresh window it saves again byte
// for byte.
#include "device/CommandChannel.h"
#include "device/LinkFlags.h"
#include "device/UserPrompts.h"
#include "log/EventLog.h"
#include "profiles/EditingRules.h"
#include "settings/DeviceSettings.h"
#include "settings/KeyTable.h"
#include "settings/ProfileFile.h"
#include "settings/ReadSequence.h"
#include "settings/SettingsBuffer.h"
#include "settings/TrackerIdentity.h"
#include "settings/WriteSequence.h"

#include "FuzzCheck.h"
#include "FuzzSettings.h"

#include <QBuffer>
#include <QDateTime>

#include <cstdint>

using namespace kvmt;

namespace {

// No tracker: loading a file never talks to one.
class NoTracker final : public CommandChannel
{
public:
    void sendCommand(const QByteArray &) override { FUZZ_CHECK(!"a profile file sent a command"); }
    int receiveReply() override { return -1; }
    const QByteArray &replyKey() const override { return m_key; }
    const QByteArray &replyValue() const override { return m_value; }
    void setReplyValue(const QByteArray &value) override { m_value = value; }

private:
    QByteArray m_key;
    QByteArray m_value;
};

class SilentPrompts final : public UserPrompts
{
public:
    void showError(const QString &, const QString &) override { ++errors; }
    void showMessage(const QString &) override { ++messages; }
    std::optional<QByteArray> askDevicePassword() override { return std::nullopt; }
    void closeProgram() override { FUZZ_CHECK(!"a profile file closed the program"); }
    int errors = 0;
    int messages = 0;
};

LocalTime fixedClock()
{
    return {QDateTime(QDate(2015, 3, 2), QTime(14, 7)), 180};
}

// The program as it stands after start-up, with or without a tracker
// identified since.
struct Window {
    DeviceSettings settings;
    TrackerIdentity identity;
    RecordingEventLog log;
    NoTracker tracker;
    SettingsBuffer buffer;
    LinkFlags flags;
    SilentPrompts prompts;
    EditingRules rules{settings, identity, prompts};
    KeyTable keys{settings, identity, log, fixedClock};
    ReadSequence reader{tracker, buffer, keys, settings, identity, log};
    WriteSequence writer{tracker, buffer, keys, settings, flags, log};
    ProfileFile file{buffer, reader, writer, settings, log, prompts};

    explicit Window(bool identified)
    {
        settings.setChecked(F::cbAutoTimeSync, false);
        if (identified) {
            identity = {5001600, 144, 1};
            settings.setText(F::pSerial, QStringLiteral("5001600"));
            settings.setText(F::pVersion, QStringLiteral("KVMT-1.44"));
        }
    }

    ProfileFile::LoadOutcome load(const QByteArray &bytes)
    {
        QBuffer device;
        device.setData(bytes);
        FUZZ_CHECK(device.open(QIODevice::ReadOnly));
        return file.loadFrom(device);
    }

    // The profile as a save would write it; the save file itself is left
    // out, as only its bytes matter here.
    QByteArray saved()
    {
        writer.setSaveFileName(QString());
        writer.writeSettings(true);
        return buffer.filled();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Both a program that has not met a tracker and one that has: the keys a
    // file may fill depend on it.
    const bool identified = size % 2 == 1;

    Window first(identified);
    const fuzz::MemberValues before = fuzz::memberValues(first.settings);
    const ProfileFile::LoadOutcome outcome = first.load(bytes);
    if (bytes.isEmpty() || bytes.size() > SettingsBuffer::kCapacity) {
        FUZZ_CHECK(outcome == (bytes.isEmpty() ? ProfileFile::LoadOutcome::Empty : ProfileFile::LoadOutcome::TooLarge));
        FUZZ_CHECK(fuzz::sameValues(before, fuzz::memberValues(first.settings)));
        FUZZ_CHECK(first.buffer.loadedLength() == 0);
        return 0;
    }
    // Entries the load cannot take are named and refused; the rest of the
    // file still lands in the window, and what the window then saves is a
    // file the program reads whole.
    FUZZ_CHECK(outcome == ProfileFile::LoadOutcome::Read || outcome == ProfileFile::LoadOutcome::EntriesRefused);
    FUZZ_CHECK(first.buffer.loadedLength() == bytes.size());

    const QByteArray profile = first.saved();
    FUZZ_CHECK(profile.size() <= SettingsBuffer::kCapacity);

    // The first save may still carry design texts the rules correct once
    // the profile is loaded (a GPS period of 0:00); from then on, loading and
    // saving changes nothing. The members may still differ in form ("1" a
    // rule wrote, "01" a read shows), never in what is saved.
    Window second(identified);
    FUZZ_CHECK(second.load(profile) == ProfileFile::LoadOutcome::Read);
    const QByteArray settled = second.saved();
    Window third(identified);
    FUZZ_CHECK(third.load(settled) == ProfileFile::LoadOutcome::Read);
    FUZZ_CHECK(third.saved() == settled);
    return 0;
}
