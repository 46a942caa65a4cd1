// Protects kvmtconf-cli: its commands, outputs and exit codes.
#include "cli/CliTool.h"

#include "TrackerFixture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace kvmt;
using namespace kvmt::test;

namespace {

struct ToolRun {
    int exitCode = 0;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList &arguments, const QStringList &libraryDirs = {QStringLiteral(KVMT_TEST_BIN_DIR)})
{
    ToolRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.exitCode = runCli(arguments, out, err, libraryDirs);
    out.flush();
    err.flush();
    return run;
}

class CliTest : public ::testing::Test
{
protected:
    void SetUp() override { TrackerHome::instance().reset(); }
};

} // namespace

TEST_F(CliTest, ReadPrintsMembersAndLogsToStandardError)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001234"), QStringLiteral("KVMT-1.44")));
    const ToolRun run = runTool({QStringLiteral("read")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("pSerial=5001234")));
    EXPECT_TRUE(lines.contains(QStringLiteral("pVersion=KVMT-1.44")));
    EXPECT_TRUE(lines.contains(QStringLiteral("cbAutoTimeSync=1")));
    // Controls without a value and captions are not members to print.
    EXPECT_FALSE(run.out.contains(QStringLiteral("btSave=")));
    EXPECT_FALSE(run.out.contains(QStringLiteral("Label62=")));
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("success: Чтение параметров\n")));
}

TEST_F(CliTest, NoTrackerAttachedIsAnError)
{
    const ToolRun run = runTool({QStringLiteral("read")});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no tracker is attached")));
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(CliTest, MissingLibraryIsAnError)
{
    const ToolRun run = runTool({QStringLiteral("read")}, {});
    if (run.exitCode == 4)
        GTEST_SKIP() << "a device library is already loaded in this process (or installed system-wide)";
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains(QStringLiteral("libKVUSB.so")));
}

TEST_F(CliTest, ProtectedTrackerTakesThePasswordFromTheCommandLine)
{
    TrackerHome::instance().plug(
        scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("protected=1")}));
    const ToolRun right = runTool({QStringLiteral("read"), QStringLiteral("--password"), QStringLiteral("1234")});
    EXPECT_EQ(right.exitCode, 0);
    EXPECT_TRUE(right.err.contains(QStringLiteral("success: Пароль OK")));

    const ToolRun wrong = runTool({QStringLiteral("read"), QStringLiteral("--password"), QStringLiteral("0000")});
    EXPECT_EQ(wrong.exitCode, 5);
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("error: Неверный пароль. Доступ не возможен")));

    // Without a password nothing is read, and the tool must not claim success.
    const ToolRun none = runTool({QStringLiteral("read")});
    EXPECT_EQ(none.exitCode, 5);
    EXPECT_TRUE(none.err.contains(QStringLiteral("give --password PIN")));
    EXPECT_TRUE(none.out.isEmpty());
}

TEST_F(CliTest, UsageErrorsExitWithOne)
{
    EXPECT_EQ(runTool({}).exitCode, 1);
    const ToolRun unknown = runTool({QStringLiteral("frobnicate")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("Usage: kvmtconf-cli")));
    EXPECT_EQ(runTool({QStringLiteral("read"), QStringLiteral("--bogus")}).exitCode, 1);
    const ToolRun help = runTool({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("read [--password PIN]")));
    EXPECT_TRUE(runTool({QStringLiteral("--version")}).out.startsWith(QStringLiteral("kvmtconf-cli 1.30")));
}

TEST_F(CliTest, TestRunsUntilTheTrackerEndsItAndPrintsEveryLine)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("[tests]"), QStringLiteral("sms=GSM:OK,TEST_SMS:OK,ENDED:OK")}));
    const ToolRun run = runTool({QStringLiteral("test"), QStringLiteral("sms"), QStringLiteral("--interval"),
                                 QStringLiteral("0")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("success: SMS GATE Ok\nplain: SMSTEST=GSM:OK;\n"
                                                "plain: SMSTEST=TEST_SMS:OK;\n"
                                                "success: Тестирование успешно завершено\n"
                                                "plain: SMSTEST=ENDED:OK;\n")))
        << run.err.toStdString();
}

TEST_F(CliTest, TestReportsAFailedTestAndATrackerThatNeverEndsIt)
{
    TrackerHome::instance().plug(scenario(
        QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"),
        {QStringLiteral("protected=1"), QStringLiteral("[tests]"),
         QStringLiteral("smtp=GSM:OK,TEST_SMTP:BAD_AUTH,ENDED:OK"), QStringLiteral("srv=GSM:OK,GPRS:OK")}));
    const QStringList fast = {QStringLiteral("--password"), QStringLiteral("1234"), QStringLiteral("--interval"),
                              QStringLiteral("0")};
    const ToolRun failed = runTool(QStringList{QStringLiteral("test"), QStringLiteral("smtp")} + fast);
    EXPECT_EQ(failed.exitCode, 7);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("error: Ошибка при тестировании")));
    EXPECT_FALSE(failed.err.contains(QStringLiteral("1234"))) << "no password in the output";

    const ToolRun endless = runTool(QStringList{QStringLiteral("test"), QStringLiteral("server"),
                                                QStringLiteral("--time-limit"), QStringLiteral("0")}
                                    + fast);
    EXPECT_EQ(endless.exitCode, 6);
    EXPECT_TRUE(endless.err.contains(QStringLiteral("did not end the test within 0 s")));
}

TEST_F(CliTest, TestNeedsATrackerATestNameAndAPassword)
{
    EXPECT_EQ(runTool({QStringLiteral("test")}).exitCode, 1);
    EXPECT_EQ(runTool({QStringLiteral("test"), QStringLiteral("fax")}).exitCode, 1);
    EXPECT_EQ(runTool({QStringLiteral("test"), QStringLiteral("sms"), QStringLiteral("--interval"),
                       QStringLiteral("soon")})
                  .exitCode,
              1);
    EXPECT_EQ(runTool({QStringLiteral("test"), QStringLiteral("sms")}).exitCode, 4);
    TrackerHome::instance().plug(
        scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("protected=1")}));
    const ToolRun locked = runTool({QStringLiteral("test"), QStringLiteral("sms")});
    EXPECT_EQ(locked.exitCode, 5);
    EXPECT_FALSE(locked.err.contains(QStringLiteral("SMSTEST"))) << "no test is started on a locked tracker";
}

TEST_F(CliTest, LoadReadsAProfileFileWithoutATrackerAndPrintsTheMembers)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("p.atc")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("GSMPIN=1234;\r\nGSMAPN=internet.test;\r\n");
    file.close();
    const ToolRun run = runTool({QStringLiteral("load"), file.fileName()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("edPinCode=1234")));
    EXPECT_TRUE(lines.contains(QStringLiteral("edAPN=internet.test")));
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("notice: Чтение настроек из файла\n")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("error: SERVER error\n")));
    EXPECT_TRUE(run.err.endsWith(QStringLiteral("notice: Настройки из файла считаны\n")));

    const ToolRun missing = runTool({QStringLiteral("load"), dir.filePath(QStringLiteral("none.atc"))});
    EXPECT_EQ(missing.exitCode, 8);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Файл не существует")));
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_EQ(runTool({QStringLiteral("load")}).exitCode, 1);
}

TEST_F(CliTest, SummaryPrintsEachValueWithItsKind)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.40")));
    const ToolRun run = runTool({QStringLiteral("summary")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Firmware 1.40: neither the call-profile rows nor the summer-time row.
    EXPECT_EQ(lines.size(), 61);
    EXPECT_EQ(lines.value(0), QStringLiteral("success: Имя прибора = KVMT"));
    EXPECT_TRUE(lines.contains(QStringLiteral("notice: SMS номер 2 = не установлен")));

    const ToolRun coloured = runTool({QStringLiteral("summary"), QStringLiteral("--colour")});
    EXPECT_TRUE(coloured.out.startsWith(QStringLiteral("Имя прибора = \x1b[32mKVMT\x1b[0m\n")));
    EXPECT_EQ(runTool({QStringLiteral("summary"), QStringLiteral("--wide")}).exitCode, 1);
}

TEST_F(CliTest, ProtectedTrackerIsLockedAgainWhenTheToolEnds)
{
    TrackerHome::instance().plug(
        scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("protected=1")}));
    ASSERT_EQ(runTool({QStringLiteral("read"), QStringLiteral("--password"), QStringLiteral("1234")}).exitCode, 0);
    const QStringList commands = TrackerHome::instance().commands(QStringLiteral("5001500"));
    ASSERT_FALSE(commands.isEmpty());
    EXPECT_EQ(commands.last(), QStringLiteral("CONFCLOSE=1;"));
}

TEST_F(CliTest, SaveThenWriteCarriesSettingsFromOneTrackerToAnother)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("fleet"));
    TrackerHome::instance().plug(scenario(QStringLiteral("5001501"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("[settings]"), QStringLiteral("GSMAPN=fleet.apn")}));
    const ToolRun saved = runTool({QStringLiteral("save"), file});
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    ASSERT_TRUE(QFile::exists(file + QStringLiteral(".atc")));

    TrackerHome::instance().unplugAll();
    TrackerHome::instance().plug(scenario(QStringLiteral("5001502")));
    const ToolRun written = runTool({QStringLiteral("write"), file + QStringLiteral(".atc")});
    EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
    const QStringList commands = TrackerHome::instance().commands(QStringLiteral("5001502"));
    EXPECT_TRUE(commands.contains(QStringLiteral("GSMAPN=fleet.apn;")));
    EXPECT_TRUE(commands.contains(QStringLiteral("SAVECONFIG=1;")));
    // The read after the write shows what the tracker now holds.
    const ToolRun read = runTool({QStringLiteral("read")});
    EXPECT_TRUE(read.out.split(QLatin1Char('\n')).contains(QStringLiteral("edAPN=fleet.apn")));
}

TEST_F(CliTest, WriteReportsKeysTheTrackerDidNotTake)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("one.atc"));
    TrackerHome::instance().plug(scenario(QStringLiteral("5001503")));
    ASSERT_EQ(runTool({QStringLiteral("save"), file}).exitCode, 0);
    TrackerHome::instance().unplugAll();
    TrackerHome::instance().plug(
        scenario(QStringLiteral("5001504"), QStringLiteral("KVMT-1.44"), {QStringLiteral("silent=SERVERPASS")}));
    const ToolRun written = runTool({QStringLiteral("write"), file});
    EXPECT_EQ(written.exitCode, 10);
    EXPECT_TRUE(written.err.contains(QStringLiteral("error: SERVERPASS error")));
    EXPECT_EQ(runTool({QStringLiteral("write"), dir.filePath(QStringLiteral("missing.atc"))}).exitCode, 8);
    EXPECT_EQ(runTool({QStringLiteral("write")}).exitCode, 1);
}
