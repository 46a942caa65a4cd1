// Protects the progress reports of the read and write sequences: one start
// and one end per run, done counting up by one exchange at a time, and a
// total that ends equal to the exchanges the tracker really saw, whatever
// the firmware and accelerometer gates left out.
#include "SequenceRig.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kvmt;
using namespace kvmt::test;

namespace {

struct Report {
    enum Kind { Started, Advanced, Finished } kind;
    int done = 0;
    int total = 0;
};

// Everything a sequence reported, in order.
struct ProgressLog {
    std::vector<Report> reports;

    SequenceProgress listener()
    {
        return {[this](int total) { reports.push_back({Report::Started, 0, total}); },
                [this](int done, int total) { reports.push_back({Report::Advanced, done, total}); },
                [this] { reports.push_back({Report::Finished}); }};
    }

    // Checks the shape of exactly one run and returns its advances.
    std::vector<Report> oneRun() const
    {
        std::vector<Report> advances;
        EXPECT_GE(reports.size(), 2u);
        if (reports.size() < 2)
            return advances;
        EXPECT_EQ(reports.front().kind, Report::Started);
        EXPECT_EQ(reports.back().kind, Report::Finished);
        int lastDone = 0;
        for (size_t i = 1; i + 1 < reports.size(); ++i) {
            const Report &r = reports[i];
            EXPECT_EQ(r.kind, Report::Advanced) << "report " << i;
            EXPECT_EQ(r.done, lastDone + 1) << "report " << i;
            EXPECT_LE(r.done, r.total) << "report " << i;
            lastDone = r.done;
            advances.push_back(r);
        }
        if (!advances.empty()) {
            EXPECT_EQ(advances.back().done, advances.back().total);
        }
        return advances;
    }
    int startedTotal() const { return reports.empty() ? -1 : reports.front().total; }
};

struct TrackerCase {
    const char *name;
    qint32 serial;
    quint32 firmware;
    int accelerometerKnown; // what the identity says before the read
    const char *acclenReply;  // the tracker's ACCLEN value; null: NO_CMD
    bool totalKnownAtStart;   // false when ACCLEN's answer changes the gates
};

const TrackerCase kTrackerCases[] = {
    {"Fw144WithAccelerometer", 5001500, 144, 1, "1,1", true},
    {"Fw131OldSerial", 5001499, 131, 1, "1,1", true},
    {"Fw122NoAccelerometer", 5001499, 122, 0, "0,0", true},
    {"Fw135AccelerometerAppears", 5001600, 135, 0, "1,1", false},
    {"Fw144AccelerometerGone", 5001600, 144, 1, "0,0", false},
    {"Fw144AcclenUnknown", 5001600, 144, 1, nullptr, false},
    {"UnidentifiedFirmware", 0, 0, 0, "0,0", true},
};

class TrackerReadProgress : public ::testing::TestWithParam<TrackerCase>
{
};

} // namespace

TEST_P(TrackerReadProgress, EndsAtTheNumberOfQueriesSent)
{
    const TrackerCase &c = GetParam();
    SequenceRig rig;
    rig.identify(c.serial, c.firmware, c.accelerometerKnown);
    fillTracker(rig.tracker, c.firmware);
    if (c.acclenReply)
        rig.tracker.values.insert("ACCLEN", c.acclenReply);
    else
        rig.tracker.unknown.insert("ACCLEN");
    ProgressLog progress;
    rig.reader.setProgress(progress.listener());

    rig.reader.readSettings(false);

    const std::vector<Report> advances = progress.oneRun();
    const int sent = int(rig.tracker.commands.size());
    ASSERT_FALSE(advances.empty());
    EXPECT_EQ(advances.back().total, sent);
    if (c.totalKnownAtStart) {
        EXPECT_EQ(progress.startedTotal(), sent);
        for (const Report &r : advances)
            EXPECT_EQ(r.total, sent) << "after " << r.done;
    } else {
        EXPECT_NE(progress.startedTotal(), sent);
        // Corrected right after ACCLEN, the first key, and never again.
        for (const Report &r : advances)
            EXPECT_EQ(r.total, sent) << "after " << r.done;
    }
}

INSTANTIATE_TEST_SUITE_P(Firmwares, TrackerReadProgress, ::testing::ValuesIn(kTrackerCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SequenceProgress, SilentTrackerStillCountsEveryQuery)
{
    // Unanswered keys are exchanges too: the bar must not stall on them.
    SequenceRig rig;
    rig.identify(5001500, 144);
    fillTracker(rig.tracker, 144);
    for (const char *key : {"GSMPIN", "SMTPTO3", "SETTIME"})
        rig.tracker.silent.insert(key);
    ProgressLog progress;
    rig.reader.setProgress(progress.listener());

    rig.reader.readSettings(false);

    const std::vector<Report> advances = progress.oneRun();
    ASSERT_FALSE(advances.empty());
    EXPECT_EQ(advances.back().total, int(rig.tracker.commands.size()));
    EXPECT_EQ(progress.startedTotal(), int(rig.tracker.commands.size()));
}

class WriteProgress : public ::testing::TestWithParam<TrackerCase>
{
};

TEST_P(WriteProgress, ToTheTrackerEndsWithSaveconfigAsTheLastExchange)
{
    const TrackerCase &c = GetParam();
    SequenceRig rig;
    rig.identify(c.serial, c.firmware, c.acclenReply && c.acclenReply[0] == '1' ? 1 : 0);
    fillTracker(rig.tracker, c.firmware);
    ProgressLog progress;
    rig.writer.setProgress(progress.listener());

    ASSERT_TRUE(rig.writer.writeSettings(false));

    const std::vector<Report> advances = progress.oneRun();
    const int sent = int(rig.tracker.commands.size());
    ASSERT_EQ(rig.tracker.commands.back(), QByteArray("SAVECONFIG=1;"));
    EXPECT_EQ(progress.startedTotal(), sent);
    ASSERT_FALSE(advances.empty());
    EXPECT_EQ(advances.back().total, sent);
}

TEST_P(WriteProgress, ToAFileCountsTheKeyLinesOfTheFile)
{
    const TrackerCase &c = GetParam();
    SequenceRig rig;
    rig.identify(c.serial, c.firmware, c.acclenReply && c.acclenReply[0] == '1' ? 1 : 0);
    rig.writer.setSaveFileName(rig.exeDir.filePath(QStringLiteral("p.atc")));
    ProgressLog progress;
    rig.writer.setProgress(progress.listener());

    ASSERT_TRUE(rig.writer.writeSettings(true));

    const std::vector<Report> advances = progress.oneRun();
    // The file starts with NUMBER and VERSION, which are no keys of the run.
    const int keyLines = int(rig.buffer.filled().count("\r\n")) - 2;
    EXPECT_TRUE(rig.tracker.commands.isEmpty());
    EXPECT_EQ(progress.startedTotal(), keyLines);
    ASSERT_FALSE(advances.empty());
    EXPECT_EQ(advances.back().total, keyLines);
}

INSTANTIATE_TEST_SUITE_P(Firmwares, WriteProgress, ::testing::ValuesIn(kTrackerCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SequenceProgress, FileReadIsCountedLikeATrackerReadWithoutTheTrackerOnlyKeys)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    fillTracker(rig.tracker, 144);
    rig.writer.setSaveFileName(rig.exeDir.filePath(QStringLiteral("p.atc")));
    ASSERT_TRUE(rig.writer.writeSettings(true));
    ASSERT_EQ(rig.buffer.load(rig.buffer.filled()), SettingsBuffer::LoadResult::Loaded);
    ProgressLog progress;
    rig.reader.setProgress(progress.listener());

    rig.reader.readSettings(true);

    const std::vector<Report> advances = progress.oneRun();
    ASSERT_FALSE(advances.empty());
    EXPECT_EQ(progress.startedTotal(), advances.back().total);
    EXPECT_GT(advances.back().total, 0);
    // Nothing went to the tracker, and every step was one key.
    EXPECT_TRUE(rig.tracker.commands.isEmpty());
}

TEST(SequenceProgress, NoRunNoReportsAndASaveReportsTwoWholeRuns)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    fillTracker(rig.tracker, 144);
    ProgressLog writes;
    ProgressLog reads;
    rig.writer.setProgress(writes.listener());
    rig.reader.setProgress(reads.listener());

    // Disconnected: the write to the tracker does not start, and says nothing.
    rig.flags = LinkFlags();
    EXPECT_FALSE(rig.writer.writeSettings(false));
    rig.writer.btSaveClick(rig.reader);
    EXPECT_TRUE(writes.reports.empty());
    EXPECT_TRUE(reads.reports.empty());

    // The Save button writes, then reads back: each run starts and finishes
    // on its own, so a bar drawn from them is never left standing.
    rig.flags = LinkFlag::Connected;
    rig.writer.btSaveClick(rig.reader);
    const std::vector<Report> written = writes.oneRun();
    const std::vector<Report> read = reads.oneRun();
    ASSERT_FALSE(written.empty());
    ASSERT_FALSE(read.empty());
    EXPECT_EQ(written.back().total + read.back().total, int(rig.tracker.commands.size()));
}
