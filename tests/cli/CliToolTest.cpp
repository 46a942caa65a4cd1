// Protects kvmtconf-cli: its commands, outputs and exit codes.
#include "cli/CliTool.h"

#include "TrackerFixture.h"

#include <gtest/gtest.h>

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
    // Controls without a value are not members to print.
    EXPECT_FALSE(run.out.contains(QStringLiteral("btSave=")));
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
