// Protects serving several trackers in turn: listing and telling them apart,
// opening a chosen one, noticing a new one, and writing a profile file to a
// tracker with a check by reading it back, with each tracker's own values
// from a table.
#include "provision/Provisioning.h"
#include "provision/TrackerRoster.h"

#include "Configurator.h"
#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

const QStringList kLibraryDirs = {QStringLiteral(KVMT_TEST_BIN_DIR)};

class ProvisioningTest : public ::testing::Test
{
protected:
    void SetUp() override { home.reset(); }

    TrackerHome &home = TrackerHome::instance();
};

// A configurator whose monitor opens the tracker with this list name.
struct NamedSession {
    explicit NamedSession(const QByteArray &name)
    {
        configurator.monitor().setDeviceName(name);
        configurator.monitor().devtimerTimer();
    }
    ~NamedSession() { configurator.link().closeDevice(); }

    RecordingEventLog recorded;
    LogTap tap{recorded};
    ScriptedPrompts prompts;
    Configurator configurator{tap, prompts, kLibraryDirs};
};

QString writeProfile(const QTemporaryDir &dir, const QByteArray &lines)
{
    return writeAll(dir.filePath(QStringLiteral("p.atc")), lines);
}

TEST_F(ProvisioningTest, RosterNamesNewTrackersOnceAndForgetsUnpluggedOnes)
{
    TrackerRoster roster(kLibraryDirs);
    ASSERT_TRUE(roster.loadLibrary());
    EXPECT_TRUE(roster.takeNew().isEmpty());
    home.plug(scenario(QStringLiteral("5002001")));
    home.plug(scenario(QStringLiteral("5002002")));
    const QList<QByteArray> first = roster.takeNew();
    ASSERT_EQ(first.size(), 2);
    EXPECT_EQ(roster.serialOf(first[0]), 5002001);
    EXPECT_EQ(roster.serialOf(first[1]), 5002002);
    EXPECT_TRUE(roster.takeNew().isEmpty()) << "already known";

    home.unplugAll();
    EXPECT_TRUE(roster.takeNew().isEmpty());
    home.plug(scenario(QStringLiteral("5002001")));
    EXPECT_EQ(roster.takeNew().size(), 1) << "plugged again counts as new";
    EXPECT_EQ(roster.serialOf(QByteArrayLiteral("KVMT 5009999")), std::nullopt);
}

TEST_F(ProvisioningTest, AskingTheSerialSendsNothingElseAndWorksOnALockedTracker)
{
    home.plug(scenario(QStringLiteral("5002011"), QStringLiteral("KVMT-1.44"), {QStringLiteral("protected=1")}));
    TrackerRoster roster(kLibraryDirs);
    const QList<QByteArray> names = roster.names();
    ASSERT_EQ(names.size(), 1);
    EXPECT_EQ(roster.serialOf(names.first()), 5002011);
    EXPECT_EQ(home.commands(QStringLiteral("5002011")), QStringList{QStringLiteral("NUMBER=?;")});
}

TEST_F(ProvisioningTest, RosterTellsOfAPlugWithoutBeingAsked)
{
    TrackerRoster roster(kLibraryDirs);
    ASSERT_TRUE(roster.loadLibrary());
    roster.watch(0);
    QSignalSpy changed(&roster, &TrackerRoster::trackersChanged);
    home.plug(scenario(QStringLiteral("5002021")));
    EXPECT_TRUE(changed.wait(10000));
    EXPECT_EQ(roster.takeNew().size(), 1);
}

TEST_F(ProvisioningTest, MonitorOpensTheNamedTrackerOrNone)
{
    home.plug(scenario(QStringLiteral("5002031")));
    home.plug(scenario(QStringLiteral("5002032"), QStringLiteral("KVMT-1.31")));
    TrackerRoster roster(kLibraryDirs);
    const QList<QByteArray> names = roster.names();
    ASSERT_EQ(names.size(), 2);
    {
        NamedSession second(names[1]);
        EXPECT_TRUE(second.configurator.isConnected());
        EXPECT_EQ(second.configurator.identity().serialNumber, 5002032);
        EXPECT_EQ(second.configurator.identity().firmwareVersion, 131u);
    }
    EXPECT_TRUE(home.commands(QStringLiteral("5002031")).isEmpty()) << "the first was never opened";
    NamedSession absent(QByteArrayLiteral("KVMT 5009999"));
    EXPECT_FALSE(absent.configurator.isConnected());
}

TEST_F(ProvisioningTest, ProvisionWritesStoresAndChecksByReadingBack)
{
    home.plug(scenario(QStringLiteral("5002041")));
    QTemporaryDir dir;
    const QString file = writeProfile(dir, "GSMAPN=fleet.apn;\r\nSERVERPORT=4321;\r\nDEVNAME=VAN;\r\n");
    NamedSession session(TrackerRoster(kLibraryDirs).names().value(0));
    ASSERT_TRUE(session.configurator.isConnected());
    const ProvisionResult result = provisionConnected(session.configurator, file);
    EXPECT_EQ(result.status, ProvisionResult::Status::Done);
    EXPECT_EQ(result.serial, QStringLiteral("5002041"));
    EXPECT_TRUE(result.saved);
    EXPECT_TRUE(result.failedKeys.isEmpty()) << result.failedKeys.join(u',').toStdString();
    const QStringList commands = home.commands(QStringLiteral("5002041"));
    EXPECT_TRUE(commands.contains(QStringLiteral("GSMAPN=fleet.apn;")));
    EXPECT_TRUE(commands.contains(QStringLiteral("SAVECONFIG=1;")));
    // Read back after the store.
    EXPECT_GT(commands.lastIndexOf(QStringLiteral("GSMAPN=?;")), commands.indexOf(QStringLiteral("SAVECONFIG=1;")));
}

struct FaultCase {
    const char *name;
    QString trackerLine;
    QStringList failedKeys;
    bool saved;
};

class ProvisionFaults : public ProvisioningTest, public ::testing::WithParamInterface<FaultCase>
{
};

TEST_P(ProvisionFaults, KeysNotTakenAreNamed)
{
    const FaultCase &c = GetParam();
    home.plug(scenario(QStringLiteral("5002051"), QStringLiteral("KVMT-1.44"), {c.trackerLine}));
    QTemporaryDir dir;
    const QString file = writeProfile(dir, "GSMAPN=fleet.apn;\r\nDEVNAME=VAN;\r\n");
    NamedSession session(TrackerRoster(kLibraryDirs).names().value(0));
    ASSERT_TRUE(session.configurator.isConnected());
    const ProvisionResult result = provisionConnected(session.configurator, file);
    EXPECT_EQ(result.status, ProvisionResult::Status::Failed);
    EXPECT_EQ(result.failedKeys, c.failedKeys);
    EXPECT_EQ(result.saved, c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Tracker, ProvisionFaults,
    ::testing::Values(
        // No answer: reported by the write itself.
        FaultCase{"silent", QStringLiteral("silent=DEVNAME"), {QStringLiteral("DEVNAME")}, true},
        // Refused without a word: only the read back shows it.
        FaultCase{"refused", QStringLiteral("wrong=GSMAPN"), {QStringLiteral("GSMAPN")}, true},
        // Stored shorter than sent: the read back differs.
        FaultCase{"cut", QStringLiteral("text_limits=GSMAPN:5"), {QStringLiteral("GSMAPN")}, true},
        FaultCase{"not_stored", QStringLiteral("silent=SAVECONFIG"), {}, false}),
    [](const ::testing::TestParamInfo<FaultCase> &info) { return std::string(info.param.name); });

TEST_F(ProvisioningTest, AFileThatCannotBeLoadedWritesNothing)
{
    home.plug(scenario(QStringLiteral("5002061")));
    NamedSession session(TrackerRoster(kLibraryDirs).names().value(0));
    ASSERT_TRUE(session.configurator.isConnected());
    QTemporaryDir dir;
    const ProvisionResult result =
        provisionConnected(session.configurator, dir.filePath(QStringLiteral("none.atc")));
    EXPECT_EQ(result.status, ProvisionResult::Status::BadFile);
    EXPECT_FALSE(home.commands(QStringLiteral("5002061")).contains(QStringLiteral("SAVECONFIG=1;")));
}

// ---- values tables: what a spreadsheet exports, and the rows refused ----

// A row as "serial:KEY=value|KEY=value" or "serial!problem column|column".
QString rowText(const ValuesRow &row)
{
    QStringList parts;
    for (const TableValue &value : row.values)
        parts.append(QString::fromLatin1(KeyTable::name(value.key)) + u'=' + value.value);
    for (const CellProblem &problem : row.problems)
        parts.append(u'!' + problem.column);
    return QStringLiteral("%1@%2:%3").arg(row.serial).arg(row.row).arg(parts.join(u'|'));
}

struct TableCase {
    const char *name;
    QByteArray csv;
    QStringList rows;  // rowText of each, in order
    QString error;     // a table that cannot be read: part of the reason
};

class ValuesTables : public ::testing::TestWithParam<TableCase>
{
};

TEST_P(ValuesTables, ReadAsGivenOrRefused)
{
    const TableCase &c = GetParam();
    QString error;
    const std::optional<ValuesTable> table = ValuesTable::parse(c.csv, &error);
    if (!c.error.isEmpty()) {
        EXPECT_FALSE(table);
        EXPECT_TRUE(error.contains(c.error)) << error.toStdString();
        return;
    }
    ASSERT_TRUE(table) << error.toStdString();
    QStringList rows;
    for (const ValuesRow &row : table->rows())
        rows.append(rowText(row));
    EXPECT_EQ(rows, c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Csv, ValuesTables,
    ::testing::Values(
        TableCase{"comma", "serial,DEVNAME,SMSNUMBER1\r\n5001,VAN-1,+7900\r\n5002,,+7901\r\n",
                  {QStringLiteral("5001@2:DEVNAME=VAN-1|SMSNUMBER1=+7900"), QStringLiteral("5002@3:SMSNUMBER1=+7901")},
                  {}},
        // Excel's "CSV UTF-8" in a comma-decimal locale: a mark, ';', quotes.
        TableCase{"semicolon_bom_quotes",
                  "\xEF\xBB\xBFSerial;devname;SMSPERIOD\n5001;\"Фургон \"\"7\"\"\";\"0,30,1\"\n;;\n5002;\"a\nb\";\n",
                  {QStringLiteral("5001@2:DEVNAME=Фургон \"7\"|SMSPERIOD=0,30,1"), QStringLiteral("5002@4:DEVNAME=a\nb")},
                  {}},
        TableCase{"row_faults",
                  "serial,DEVNAME,Colour,\n5001,\"x;y\",,\n5002,,red,\nabc,z,,\n5003,,,,extra\n5001,w,,\n",
                  {QStringLiteral("5001@2:!DEVNAME|!serial"), QStringLiteral("5002@3:!Colour"),
                   QStringLiteral("0@4:DEVNAME=z|!serial"), QStringLiteral("5003@5:!5"),
                   QStringLiteral("5001@6:DEVNAME=w|!serial")},
                  {}},
        TableCase{"not_serial_first", "DEVNAME,serial\nx,5001\n", {}, QStringLiteral("first column must be")},
        TableCase{"key_twice", "serial,DEVNAME,devname\n", {}, QStringLiteral("name the same key")},
        TableCase{"broken_quote", "serial,DEVNAME\n5001,\"open\n", {}, QStringLiteral("broken CSV")},
        TableCase{"windows_1251", "serial,DEVNAME\n5001,\xD4\xF3\xF0\n", {}, QStringLiteral("row 2 is not UTF-8")},
        TableCase{"empty", "", {}, QStringLiteral("empty")}),
    [](const ::testing::TestParamInfo<TableCase> &info) { return std::string(info.param.name); });

} // namespace
