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

// A row as "serial@row:KEY=value|KEY=value|!column", a column refused
// named by its header, or its letter where it has none.
QString rowText(const ValuesRow &row)
{
    QStringList parts;
    for (const TableValue &value : row.values)
        parts.append(QString::fromLatin1(KeyTable::name(value.key)) + u'=' + value.value);
    for (const CellProblem &problem : row.problems)
        parts.append(u'!' + (problem.column.isEmpty() ? ValuesTable::columnLetters(problem.columnIndex) : problem.column));
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
        // A line break inside a quoted cell stays in its row, as the
        // spreadsheet shows it; no key types one into a field.
        TableCase{"semicolon_bom_quotes",
                  "\xEF\xBB\xBFSerial;devname;SMSPERIOD\n5001;\"Ван \"\"7\"\"\";\"0,30,1\"\n;;\n5002;\"a\nb\";\n5003;c;\n",
                  {QStringLiteral("5001@2:DEVNAME=Ван \"7\"|SMSPERIOD=0,30,1"), QStringLiteral("5002@4:!devname"),
                   QStringLiteral("5003@5:DEVNAME=c")},
                  {}},
        TableCase{"row_faults",
                  "serial,DEVNAME,Colour,\n5001,\"x;y\",,\n5002,,red,\n5003,,,,extra\n5004,,,z,\n5001,w,,\n",
                  {QStringLiteral("5001@2:!DEVNAME|!serial"), QStringLiteral("5002@3:!Colour"),
                   QStringLiteral("5003@4:!E"), QStringLiteral("5004@5:!D"),
                   QStringLiteral("5001@6:DEVNAME=w|!serial")},
                  {}},
        // Rows as the spreadsheet numbers them: blank lines count, a line
        // end is CR LF or LF, padding around an unquoted cell is no text.
        TableCase{"blank_lines",
                  "serial,DEVNAME\r\n\r\n5001, VAN-1 \r\n\r\n\r\n5002,VAN-2\n\n5003,VAN-3\r\n\r\n",
                  {QStringLiteral("5001@3:DEVNAME=VAN-1"), QStringLiteral("5002@6:DEVNAME=VAN-2"),
                   QStringLiteral("5003@8:DEVNAME=VAN-3")},
                  {}},
        TableCase{"tab_separated", "serial\tDEVNAME\tSMSNUMBER1\n5001\tVAN 1\t+79001110001\n5002\t\t+79001110002\n",
                  {QStringLiteral("5001@2:DEVNAME=VAN 1|SMSNUMBER1=+79001110001"),
                   QStringLiteral("5002@3:SMSNUMBER1=+79001110002")},
                  {}},
        // A spreadsheet's number format, where no digit was lost, and
        // blanks around the serial.
        TableCase{"serials_as_numbers",
                  "serial;DEVNAME\n5001601.0;A\n\" 5001602\";B\n5.001603E+06;C\n5001604,00;D\n5,0016050E+06;E\n",
                  {QStringLiteral("5001601@2:DEVNAME=A"), QStringLiteral("5001602@3:DEVNAME=B"),
                   QStringLiteral("5001603@4:DEVNAME=C"), QStringLiteral("5001604@5:DEVNAME=D"),
                   QStringLiteral("5001605@6:DEVNAME=E")},
                  {}},
        TableCase{"serial_rounded", "serial,DEVNAME\n5001601,A\n5.0016E+06,B\n", {},
                  QStringLiteral("row 3 has no serial number (\"5.0016E+06\" is a number a spreadsheet rounded: "
                                 "format the column as Text")},
        TableCase{"serials_missing", "serial,DEVNAME\n5001,a\n\nabc,z\n,y\n5001.5,x\n", {},
                  QStringLiteral("rows 4–6 have no serial number (row 4: \"abc\" is no serial number)")},
        // What no person could have typed into the field.
        TableCase{"values_the_window_refuses",
                  "serial;SMSNUMBER1;SERVERPORT;DEVNAME;GSMPIN;BALANCENUM\n"
                  "5001;7,91612E+10;4321.0;VAN-01-Ivanov;12a4;*100#,1,1\n"
                  "5002;\"+79001110001 \";4321;Zoë;----;\n"
                  "5003;+7 916 123-45-67;;VAN-01;1234;*100#x;\n"
                  "5004;+79161234567;65535;VAN\x1B[2J;;\n",
                  {QStringLiteral("5001@2:BALANCENUM=*100#,1,1|!SMSNUMBER1|!SERVERPORT|!DEVNAME|!GSMPIN"),
                   QStringLiteral("5002@3:SERVERPORT=4321|GSMPIN=----|!SMSNUMBER1|!DEVNAME"),
                   QStringLiteral("5003@4:DEVNAME=VAN-01|GSMPIN=1234|BALANCENUM=*100#x|!SMSNUMBER1"),
                   QStringLiteral("5004@5:SMSNUMBER1=+79161234567|SERVERPORT=65535|!DEVNAME")},
                  {}},
        TableCase{"not_serial_first", "DEVNAME,serial\nx,5001\n", {}, QStringLiteral("first column must be")},
        TableCase{"key_twice", "serial,DEVNAME,devname\n", {}, QStringLiteral("name the same key")},
        TableCase{"broken_quote", "serial,DEVNAME\n\n5001,\"open\n", {},
                  QStringLiteral("row 3: a quoted cell is never closed")},
        TableCase{"stray_quote", "serial,DEVNAME\n5001,VAN\"7\n", {}, QStringLiteral("row 2: a quote stands inside")},
        TableCase{"other_separator", "serial|DEVNAME\n5001|VAN\n", {},
                  QStringLiteral("save the table as CSV (comma or semicolon)")},
        TableCase{"windows_1251", "serial,DEVNAME\n5001,\xD4\xF3\xF0\n", {}, QStringLiteral("row 2 is not UTF-8")},
        TableCase{"empty", "", {}, QStringLiteral("empty")}),
    [](const ::testing::TestParamInfo<TableCase> &info) { return std::string(info.param.name); });

// A serial column filled down by mistake: one problem per row, naming every
// row of the serial once, however many there are.
TEST(ValuesTableRows, OneSerialFilledDownIsOneProblemPerRow)
{
    QByteArray csv = "serial,DEVNAME\n5001600,FIRST\n";
    constexpr int kFilled = 6000;
    for (int i = 0; i < kFilled; ++i)
        csv += "5001601,VAN\n";
    csv += "5001602,OTHER\n5001603,A\n\n5001603,B\n";
    QString error;
    const std::optional<ValuesTable> table = ValuesTable::parse(csv, &error);
    ASSERT_TRUE(table) << error.toStdString();
    ASSERT_EQ(table->rows().size(), kFilled + 4);
    const QString filled = QStringLiteral("serial 5001601 is given in rows 3–6002; keep one row per tracker");
    int problems = 0;
    for (const ValuesRow &row : table->rows()) {
        problems += int(row.problems.size());
        if (row.serial == 5001601) {
            ASSERT_EQ(row.problems.size(), 1) << row.row;
            EXPECT_EQ(row.problems.first().text, filled);
            EXPECT_EQ(row.problems.first().columnIndex, 0);
        }
    }
    EXPECT_EQ(problems, kFilled + 2);
    EXPECT_TRUE(table->rowFor(5001600)->problems.isEmpty());
    EXPECT_EQ(table->rowFor(5001601)->row, 3) << "the serial's first row answers for it";
    EXPECT_EQ(table->rowFor(5001603)->problems.value(0).text,
              QStringLiteral("serial 5001603 is given in rows 6004 and 6006; keep one row per tracker"));
}

TEST(ValuesTableRows, RowsAndColumnsAreNamedAsTheSpreadsheetShowsThem)
{
    EXPECT_EQ(ValuesTable::rowList({7}), QStringLiteral("7"));
    EXPECT_EQ(ValuesTable::rowList({2, 4, 5, 6, 9}), QStringLiteral("2, 4–6 and 9"));
    EXPECT_EQ(ValuesTable::rowList({2, 4, 6, 8, 10, 12, 14, 15, 16, 30}), QStringLiteral("2, 4, 6, 8, 10, 12 and 4 more"));
    EXPECT_EQ(ValuesTable::columnLetters(0), QStringLiteral("A"));
    EXPECT_EQ(ValuesTable::columnLetters(25), QStringLiteral("Z"));
    EXPECT_EQ(ValuesTable::columnLetters(26), QStringLiteral("AA"));
    EXPECT_EQ(ValuesTable::columnLetters(701), QStringLiteral("ZZ"));
    EXPECT_EQ(ValuesTable::columnLetters(702), QStringLiteral("AAA"));
}

} // namespace
