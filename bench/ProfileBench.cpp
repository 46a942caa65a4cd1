// Cost of a profile file load with the read that fills the window from it,
// and of a summary build: what the person waits for after the menu command
// and after a page switch.
#include "device/CommandChannel.h"
#include "device/UserPrompts.h"
#include "log/EventLog.h"
#include "profiles/EditingRules.h"
#include "profiles/SettingsSummary.h"
#include "settings/DeviceSettings.h"
#include "settings/KeyTable.h"
#include "settings/ProfileFile.h"
#include "settings/ReadSequence.h"
#include "settings/SettingsBuffer.h"
#include "settings/TrackerIdentity.h"
#include "settings/WriteSequence.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kvmt;

namespace {

// A file read never exchanges; it only hands values through the channel.
class NoTracker final : public CommandChannel
{
public:
    void sendCommand(const QByteArray &) override {}
    int receiveReply() override { return -1; }
    const QByteArray &replyKey() const override { return m_key; }
    const QByteArray &replyValue() const override { return m_value; }
    void setReplyValue(const QByteArray &value) override { m_value = value; }

private:
    QByteArray m_key;
    QByteArray m_value;
};

class SilentLog final : public EventLog
{
public:
    void logEvent(const QString &, int) override {}
    void clear() override {}
};

class NoPrompts final : public UserPrompts
{
public:
    void showError(const QString &, const QString &) override {}
    void showMessage(const QString &) override {}
    std::optional<QByteArray> askDevicePassword() override { return std::nullopt; }
    void closeProgram() override {}
};

// The window of a firmware 1.44 tracker with an accelerometer, saved once as
// a full profile file: every key is looked up on a load.
struct Bench {
    Bench()
    {
        identity = {5001500, 144, 1};
        settings.setText(F::edServerIP, QStringLiteral("track.korvel-mt.ru"));
        settings.setText(F::edSMSNumber1, QStringLiteral("+79161234567"));
        settings.setText(F::edTimeSync, QStringLiteral("09:05,03.07.2015"));
        settings.setChecked(F::cbAutoTimeSync, false);
        path = dir.filePath(QStringLiteral("bench"));
        saved = file.save(path);
        path += QStringLiteral(".atc");
    }

    QTemporaryDir dir;
    DeviceSettings settings;
    TrackerIdentity identity;
    SilentLog log;
    NoPrompts prompts;
    NoTracker channel;
    LinkFlags flags;
    SettingsBuffer buffer;
    EditingRules rules{settings, identity, prompts};
    KeyTable keys{settings, identity, log};
    ReadSequence reader{channel, buffer, keys, settings, identity, log};
    WriteSequence writer{channel, buffer, keys, settings, flags, log};
    ProfileFile file{buffer, reader, writer, settings, log, prompts};
    QString path;
    bool saved = false;
};

Bench &bench()
{
    static Bench instance;
    return instance;
}

void BM_ProfileFileLoadAndRead(benchmark::State &state)
{
    Bench &b = bench();
    if (!b.saved) {
        state.SkipWithError("the profile file could not be written");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(b.file.load(b.path));
    state.SetBytesProcessed(state.iterations() * b.buffer.loadedLength());
}
BENCHMARK(BM_ProfileFileLoadAndRead);

void BM_SettingsSummaryBuild(benchmark::State &state)
{
    Bench &b = bench();
    for (auto _ : state) {
        const SettingsSummary summary = SettingsSummary::build(b.settings, b.identity.firmwareVersion);
        benchmark::DoNotOptimize(summary.rows().size());
    }
}
BENCHMARK(BM_SettingsSummaryBuild);

} // namespace
