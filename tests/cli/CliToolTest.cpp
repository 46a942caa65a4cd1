// Protects kvmtconf-cli: its commands, outputs and exit codes.
#include "cli/CliTool.h"
#include "cli/StopSignals.h"
#include "settings/ReadHistory.h"
#include "shell/ExeDir.h"

#include "TrackerFixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <csignal>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <thread>

using namespace kvmt;
using namespace kvmt::test;

namespace {

struct ToolRun {
    int exitCode = 0;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList &arguments, const QStringList &libraryDirs = {QStringLiteral(KVMT_TEST_BIN_DIR)},
                PasswordSource::Terminal terminal = {})
{
    ToolRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    // By default nobody is at a terminal to be asked.
    run.exitCode = runCli(arguments, out, err, libraryDirs, std::move(terminal));
    out.flush();
    err.flush();
    return run;
}

// MT.ini in the tool's data folder, as the window writes it.
void writeProgramSettings(const QByteArray &bytes)
{
    writeAll(QDir(programExeDir()).filePath(QStringLiteral("MT.ini")), bytes);
}

class CliTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TrackerHome::instance().reset();
        // The window of a Russian engineer chose Russian: the texts compared
        // below are the Russian ones whatever the language of the machine
        // that runs the tests.
        writeProgramSettings("[COMMON]\r\nLanguage=Russian\r\n");
    }
};

// Every line on standard error is an event log line, "KIND: text".
bool allLogLines(const QString &err)
{
    static const QRegularExpression line(QStringLiteral("^(error|success|notice|plain): \\S"));
    const QStringList lines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return std::all_of(lines.begin(), lines.end(), [](const QString &l) { return line.match(l).hasMatch(); });
}

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
    EXPECT_TRUE(none.err.contains(QStringLiteral("give --password-file FILE")));
    EXPECT_TRUE(none.out.isEmpty());

    // The sources no other local user can see: a file (its first line), the
    // environment, and the terminal, asked once and only when needed.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("pin")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1234\r\nignored\n");
    file.close();
    EXPECT_EQ(runTool({QStringLiteral("read"), QStringLiteral("--password-file"), file.fileName()}).exitCode, 0);
    const ToolRun unreadable =
        runTool({QStringLiteral("read"), QStringLiteral("--password-file"), dir.filePath(QStringLiteral("none"))});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_TRUE(unreadable.err.contains(QStringLiteral("cannot read the password file")));
    int asked = 0;
    const auto terminal = [&asked]() -> std::optional<QByteArray> {
        ++asked;
        return QByteArray("1234");
    };
    EXPECT_EQ(runTool({QStringLiteral("read")}, {QStringLiteral(KVMT_TEST_BIN_DIR)}, terminal).exitCode, 0);
    EXPECT_EQ(asked, 1);
    qputenv("KVMT_PASSWORD", "1234");
    EXPECT_EQ(runTool({QStringLiteral("read")}, {QStringLiteral(KVMT_TEST_BIN_DIR)}, terminal).exitCode, 0);
    qunsetenv("KVMT_PASSWORD");
    EXPECT_EQ(asked, 1) << "the environment answers before the terminal is asked";
    TrackerHome::instance().reset();
    TrackerHome::instance().plug(scenario(QStringLiteral("5001501")));
    EXPECT_EQ(runTool({QStringLiteral("read")}, {QStringLiteral(KVMT_TEST_BIN_DIR)}, terminal).exitCode, 0);
    EXPECT_EQ(asked, 1) << "an open tracker asks for nothing";
}

// A tracker that falls short must never pass for one read in full.
TEST_F(CliTest, EachWayATrackerFallsShortHasItsOwnExitAndLine)
{
    QTemporaryDir dir;
    struct Case {
        QStringList scenario;
        QStringList arguments;
        int exitCode;
        const char *line;
    };
    const QString atc = dir.filePath(QStringLiteral("short.atc"));
    const Case cases[] = {
        // Old firmware that does not know the protection query is read in full.
        {{QStringLiteral("no_cmd=SECURESETUP")}, {QStringLiteral("read")}, 0, ""},
        {{QStringLiteral("silent=SECURESETUP")}, {QStringLiteral("read")}, 13, "its settings were not read"},
        {{QStringLiteral("silent=SECURESETUP")}, {QStringLiteral("save"), atc}, 13, "its settings were not read"},
        {{QStringLiteral("silent=SECURESETUP")}, {QStringLiteral("diff"), atc}, 13, "its settings were not read"},
        {{QStringLiteral("protected=1"), QStringLiteral("silent=SECUREOFFTMP")},
         {QStringLiteral("read"), QStringLiteral("--password"), QStringLiteral("1234")}, 13, "no verdict on the password"},
        {{QStringLiteral("silent=SMTPTO3,SMSGATE")}, {QStringLiteral("read")}, 14, "left 2 settings unanswered"},
        {{QStringLiteral("silent=SMTPTO3")}, {QStringLiteral("save"), atc}, 14, "was not written"},
        {{QStringLiteral("silent=SMTPTO3")}, {QStringLiteral("summary")}, 14, "left 1 settings unanswered"},
        {{QStringLiteral("[tests]"), QStringLiteral("sms=GSM:OK,ENDED:OK")},
         {QStringLiteral("test"), QStringLiteral("sms"), QStringLiteral("--interval"), QStringLiteral("0")}, 15,
         "without telling whether it passed"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString() + " / " + c.scenario.join(u' ').toStdString());
        TrackerHome::instance().reset();
        TrackerHome::instance().plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), c.scenario));
        const ToolRun run = runTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.line))) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(atc)) << "no file from a read that fell short";
    }
}

// A value the configurator cannot take whole leaves a member as it was:
// such a key is no answer, however much the tracker said.
TEST_F(CliTest, ReplyShortOfAnItemOrWithAnItemThatIsNoNumberLeavesItsKeyUnanswered)
{
    QTemporaryDir dir;
    const QString file = writeAll(dir.filePath(QStringLiteral("any.atc")), "GSMAPN=from.file;\r\n");
    struct Case {
        const char *what;
        const char *version;
        const char *flash; // what the tracker holds, as no write could give it
        const char *key;   // nullptr: read in full
    };
    const Case cases[] = {
        {"over range", "KVMT-1.44", "[profile0]\nSERVERPERIOD=99999999999,30,1\n", "SERVERPERIOD"},
        {"empty item", "KVMT-1.44", "[profile0]\nSERVERPERIOD=,30,1\n", "SERVERPERIOD"},
        {"missing item", "KVMT-1.44", "[settings]\nSETCP=1,55755826,37617300,500\n", "SETCP"},
        {"missing minutes", "KVMT-1.44", "[profile0]\nGPSPERIOD=5\n", "GPSPERIOD"},
        {"no number at all", "KVMT-1.44", "[settings]\nDELAYOFF=x\n", "DELAYOFF"},
        // Firmware before 1.35 never sends the summer-time item.
        {"older firmware's shorter clock", "KVMT-1.34", "", nullptr},
    };
    int serial = 5001820;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString number = QString::number(++serial);
        TrackerHome::instance().reset();
        QDir(TrackerHome::instance().path()).mkpath(QStringLiteral("flash"));
        writeAll(QDir(TrackerHome::instance().path()).filePath(QStringLiteral("flash/%1.ini").arg(number)),
                 QByteArray("[settings]\nCHANGEPROFILE=0\n") + c.flash);
        TrackerHome::instance().plug(scenario(number, QString::fromLatin1(c.version)));

        const ToolRun read = runTool({QStringLiteral("read")});
        const ToolRun diff = runTool({QStringLiteral("diff"), file});
        const QStringList differences = diff.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!c.key) {
            EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
            EXPECT_FALSE(read.err.contains(QStringLiteral(" error\n"))) << read.err.toStdString();
            EXPECT_EQ(ReadHistory::copies(programExeDir(), number).size(), 2) << "read and diff each keep one";
            EXPECT_TRUE(differences.filter(QStringLiteral("\t?\t")).isEmpty()) << diff.out.toStdString();
            continue;
        }
        const QString key = QString::fromLatin1(c.key);
        EXPECT_EQ(read.exitCode, 14) << read.err.toStdString();
        EXPECT_TRUE(read.err.contains(QStringLiteral("error: %1 error\n").arg(key))) << read.err.toStdString();
        EXPECT_TRUE(read.err.contains(QStringLiteral("left 1 settings unanswered"))) << read.err.toStdString();
        EXPECT_TRUE(ReadHistory::copies(programExeDir(), number).isEmpty()) << "no backup";
        EXPECT_EQ(diff.exitCode, 2);
        EXPECT_EQ(differences.filter(QStringLiteral("\t?\t")), differences.filter(key + QStringLiteral("\t?\t")))
            << diff.out.toStdString();
        EXPECT_EQ(differences.filter(key + QStringLiteral("\t?\t")).size(), 1) << diff.out.toStdString();
    }
}

TEST_F(CliTest, SaveKeepsTheSuffixAsTyped)
{
    QTemporaryDir dir;
    TrackerHome::instance().plug(scenario(QStringLiteral("5001500")));
    for (const char *name : {"fleet.ATC", "plain", "double.atc"}) {
        ASSERT_EQ(runTool({QStringLiteral("save"), dir.filePath(QString::fromLatin1(name))}).exitCode, 0);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("double.atc"), QStringLiteral("fleet.ATC"), QStringLiteral("plain.atc")}));
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
    EXPECT_TRUE(help.out.contains(QStringLiteral("read [--password-file FILE]")));
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

// ---- provisioning, diff, console and JSON output ----

namespace {

QString attachedDir()
{
    return QDir(TrackerHome::instance().path()).filePath(QStringLiteral("attached"));
}

// Plugs as kvtracker does, by a rename from a staging file: a tracker
// plugged while the tool watches must never be seen half-written.
void plugAtomically(const QString &scenarioText, const QString &serial)
{
    static int plugged = 0;
    const QString staging = QDir(TrackerHome::instance().path()).filePath(QStringLiteral("staging.ini"));
    QFile file(staging);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(scenarioText.toUtf8());
    file.close();
    const QString name = QStringLiteral("%1-%2.ini").arg(9000 + ++plugged).arg(serial);
    ASSERT_TRUE(QFile::rename(staging, QDir(attachedDir()).filePath(name)));
}

// The first line of a file that starts with `prefix`.
QString flashLine(const QString &serial, const QString &prefix)
{
    QFile file(QDir(TrackerHome::instance().path()).filePath(QStringLiteral("flash/%1.ini").arg(serial)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(prefix.toLatin1()))
            return QString::fromLatin1(line.trimmed());
    }
    return {};
}

// A profile file saved from a tracker with a distinctive APN and server.
QString fleetFile(const QTemporaryDir &dir)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001700"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("[settings]"), QStringLiteral("GSMAPN=fleet.apn"),
                                           QStringLiteral("SERVERPORT=4321")}));
    const QString file = dir.filePath(QStringLiteral("fleet.atc"));
    const ToolRun saved = runTool({QStringLiteral("save"), file});
    EXPECT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    TrackerHome::instance().unplugAll();
    return file;
}

// serial -> the rest of its result line
QMap<QString, QString> resultLines(const QString &out)
{
    QMap<QString, QString> results;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        results.insert(line.left(tab), line.mid(tab + 1));
    }
    return results;
}

QJsonObject parseJson(const QString &text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    EXPECT_TRUE(document.isObject());
    return document.object();
}

} // namespace

TEST_F(CliTest, ProvisionWritesEveryAttachedTrackerAndEachReadsBackTheFile)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    const QStringList serials = {QStringLiteral("5001701"), QStringLiteral("5001702"), QStringLiteral("5001703")};
    const QStringList scenarios = {scenario(serials[0]), scenario(serials[1], QStringLiteral("KVMT-1.31")),
                                   scenario(serials[2], QStringLiteral("KVMT-1.44"), {QStringLiteral("accelerometer=0")})};
    for (const QString &text : scenarios)
        TrackerHome::instance().plug(text);

    const ToolRun run = runTool({QStringLiteral("provision"), file});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QMap<QString, QString> results = resultLines(run.out);
    ASSERT_EQ(results.keys(), serials) << run.out.toStdString();
    for (const QString &serial : serials) {
        EXPECT_EQ(results.value(serial), QStringLiteral("ok\tsaved\t-")) << serial.toStdString();
        EXPECT_EQ(TrackerHome::instance().commands(serial).last(), QStringLiteral("CONFCLOSE=1;"));
        EXPECT_EQ(flashLine(serial, QStringLiteral("GSMAPN=")), QStringLiteral("GSMAPN=fleet.apn"));
    }
    EXPECT_TRUE(run.err.contains(QStringLiteral("3 of 3 trackers provisioned")));

    // Each tracker, plugged again alone, starts from its flash and reads as the file says.
    for (qsizetype i = 0; i < serials.size(); ++i) {
        const QString &serial = serials[i];
        TrackerHome::instance().unplugAll();
        TrackerHome::instance().plug(scenarios[i]);
        const ToolRun diff = runTool({QStringLiteral("diff"), file});
        EXPECT_EQ(diff.exitCode, 0) << serial.toStdString() << ": " << diff.out.toStdString();
        const ToolRun read = runTool({QStringLiteral("read")});
        EXPECT_TRUE(read.out.split(QLatin1Char('\n')).contains(QStringLiteral("edServerPort=4321")));
    }
}

TEST_F(CliTest, ProvisionGoesOnPastTrackersThatFail)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001711"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("protected=1")}));
    TrackerHome::instance().plug(scenario(QStringLiteral("5001712"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("silent=SERVERPASS")}));
    // Stops answering halfway through the write.
    TrackerHome::instance().plug(scenario(QStringLiteral("5001713"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("answer_limit=70")}));
    TrackerHome::instance().plug(scenario(QStringLiteral("5001714")));
    TrackerHome::instance().plug(scenario(QStringLiteral("5001715"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("silent=SECURESETUP")}));

    const ToolRun run = runTool({QStringLiteral("provision"), file});
    EXPECT_EQ(run.exitCode, 12);
    const QMap<QString, QString> results = resultLines(run.out);
    ASSERT_EQ(results.size(), 5) << run.out.toStdString();
    EXPECT_EQ(results.value(QStringLiteral("5001715")), QStringLiteral("unread	not-saved	-"));
    EXPECT_EQ(results.value(QStringLiteral("5001711")), QStringLiteral("refused\tnot-saved\t-"));
    EXPECT_EQ(results.value(QStringLiteral("5001712")), QStringLiteral("failed\tsaved\tSERVERPASS"));
    EXPECT_TRUE(results.value(QStringLiteral("5001713")).startsWith(QStringLiteral("failed\tnot-saved\t")))
        << results.value(QStringLiteral("5001713")).toStdString();
    EXPECT_EQ(results.value(QStringLiteral("5001714")), QStringLiteral("ok\tsaved\t-"));
    EXPECT_EQ(flashLine(QStringLiteral("5001714"), QStringLiteral("GSMAPN=")), QStringLiteral("GSMAPN=fleet.apn"));
    EXPECT_TRUE(flashLine(QStringLiteral("5001711"), QStringLiteral("GSMAPN=")).isEmpty()) << "nothing stored";
    EXPECT_TRUE(run.err.contains(QStringLiteral("1 of 5 trackers provisioned")));

    // With the password the protected one is provisioned and locked again.
    const ToolRun again = runTool({QStringLiteral("provision"), file, QStringLiteral("--serial"),
                                   QStringLiteral("5001711"), QStringLiteral("--password"), QStringLiteral("1234")});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.out, QStringLiteral("5001711\tok\tsaved\t-\n"));
    EXPECT_EQ(TrackerHome::instance().commands(QStringLiteral("5001711")).last(), QStringLiteral("CONFCLOSE=1;"));
}

// A locked tracker answers every set with "DEVLOCK;": nothing was taken and
// nothing stored, whatever the log's red lines say.
TEST_F(CliTest, ProvisionOfATrackerThatRefusesEverySetFails)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    // Unlocked by its password, then locked from the read on (exchange 5).
    TrackerHome::instance().plug(scenario(QStringLiteral("5001731"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("protected=1"), QStringLiteral("fault=devlock"),
                                           QStringLiteral("fault_at=5"), QStringLiteral("fault_count=1000")}));
    const QString passwordList = QDir(programExeDir()).filePath(QStringLiteral("ATG/5001731.atg"));
    QFile::remove(passwordList);

    const ToolRun run = runTool({QStringLiteral("provision"), file, QStringLiteral("--password"), QStringLiteral("1234")});
    EXPECT_EQ(run.exitCode, 12) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("5001731\tfailed\tnot-saved\tGSMPIN,GSMAPN,"))) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("error: 5001731: Трекер заблокирован паролем: не записано настроек: ")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("error: 5001731: SAVECONFIG error")));
    EXPECT_FALSE(QFileInfo::exists(passwordList)) << "no password list for a tracker that stored nothing";
    EXPECT_TRUE(flashLine(QStringLiteral("5001731"), QStringLiteral("GSMAPN=")).isEmpty());
}

// An entry the load cannot take is named, and no command goes on as if the
// file had been read.
TEST_F(CliTest, FileWithAnEntryTheLoadRefusesIsABadFileForEveryCommand)
{
    QTemporaryDir dir;
    const QString fleet = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001741")));
    TrackerHome::instance().plug(scenario(QStringLiteral("5001742")));
    struct Case {
        const char *entry;
        const char *key;
    };
    const Case cases[] = {
        {"SERVERPASS=ab;cd;", "SERVERPASS"},
        {"SERVERPASS=ab;cd", "SERVERPASS"},
        {"SERVERPERIOD=99999999999,30,1;", "SERVERPERIOD"},
        {"SERVERPERIOD=,30,1;", "SERVERPERIOD"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.entry);
        // The fleet's file with the one entry replaced: everything else loads.
        QByteArray bytes = readAll(fleet);
        const QByteArray prefix = QByteArray(c.key) + '=';
        const qsizetype at = bytes.indexOf("\r\n" + prefix) + 2;
        ASSERT_GT(at, 2);
        bytes.replace(at, bytes.indexOf("\r\n", at) - at, c.entry);
        const QString file = writeAll(dir.filePath(QStringLiteral("bad.atc")), bytes);
        const QString named = QString::fromLatin1(c.key);

        for (const char *command : {"load", "write", "diff"}) {
            const ToolRun run = runTool({QString::fromLatin1(command), file});
            EXPECT_EQ(run.exitCode, 8) << command << ": " << run.err.toStdString();
            EXPECT_TRUE(run.err.contains(QStringLiteral("Значения %1 в файле").arg(named))) << run.err.toStdString();
            EXPECT_TRUE(run.out.isEmpty()) << command;
        }
        const ToolRun provision = runTool({QStringLiteral("provision"), file});
        EXPECT_EQ(provision.exitCode, 12);
        EXPECT_EQ(provision.out, QStringLiteral("5001741\tbad-file\tnot-saved\t-\n5001742\tbad-file\tnot-saved\t-\n"));
        for (const char *serial : {"5001741", "5001742"}) {
            for (const QString &sent : TrackerHome::instance().commands(QString::fromLatin1(serial)))
                EXPECT_TRUE(!sent.startsWith(named + u'=') || sent == named + QStringLiteral("=?;")) << sent.toStdString();
        }
    }

    // The empty clock a window that holds none writes into its files is no
    // refused entry: the program loads its own files.
    QByteArray own = readAll(fleet);
    const qsizetype at = own.indexOf("\r\nSETTIME=") + 2;
    ASSERT_GT(at, 2);
    own.replace(at, own.indexOf("\r\n", at) - at, "SETTIME=,0,0;");
    const ToolRun load = runTool({QStringLiteral("load"), writeAll(dir.filePath(QStringLiteral("own.atc")), own)});
    EXPECT_EQ(load.exitCode, 0) << load.err.toStdString();
}

// A tracker that does not say who it is (no answer to NUMBER=?;) is no
// identified tracker: nothing passes as done for it, and nothing is filed
// under a placeholder, where the next such tracker's copy and password list
// would land as well.
TEST_F(CliTest, TrackerWithoutASerialIsNeitherDoneNorFiled)
{
    QTemporaryDir dir;
    const QString fleet = fleetFile(dir);
    const QString saved = dir.filePath(QStringLiteral("unknown.atc"));
    const QByteArray dataBefore = qgetenv("KVMT_DATA_DIR");
    const QStringList commands[] = {{QStringLiteral("read")},
                                    {QStringLiteral("save"), saved},
                                    {QStringLiteral("write"), fleet},
                                    {QStringLiteral("provision"), fleet}};
    for (const char *fault : {"silent"}) {
        for (const QStringList &arguments : commands) {
            SCOPED_TRACE(std::string(fault) + ": " + arguments.first().toStdString());
            QTemporaryDir data;
            qputenv("KVMT_DATA_DIR", QFile::encodeName(data.path()));
            TrackerHome::instance().reset();
            // The first exchange of every command is the serial number's.
            TrackerHome::instance().plug(scenario(QStringLiteral("5001744"), QStringLiteral("KVMT-1.44"),
                                                  {QStringLiteral("fault=%1").arg(QLatin1String(fault)),
                                                   QStringLiteral("fault_at=1")}));
            QFile::remove(saved);
            const ToolRun run = runTool(arguments);
            EXPECT_NE(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
            EXPECT_FALSE(run.out.contains(QStringLiteral("\tok\t"))) << run.out.toStdString();
            EXPECT_FALSE(QFileInfo::exists(saved)) << "a profile of an unknown tracker";
            QDirIterator filed(data.path(), QDir::Files, QDirIterator::Subdirectories);
            while (filed.hasNext()) {
                const QString name = QFileInfo(filed.next()).fileName();
                EXPECT_TRUE(name.startsWith(QLatin1String("5001744")) || name == QLatin1String("MT.ini"))
                    << "filed as " << name.toStdString();
            }
            if (arguments.first() == QLatin1String("provision")) {
                EXPECT_EQ(run.exitCode, 12);
                const QStringList sent = TrackerHome::instance().commands(QStringLiteral("5001744"));
                const auto set = std::find_if(sent.begin(), sent.end(), [](const QString &command) {
                    return !command.endsWith(QLatin1String("=?;")) && !command.startsWith(QLatin1String("CONF"));
                });
                EXPECT_TRUE(set == sent.end()) << "written without being identified: " << set->toStdString();
            }
        }
    }
    qputenv("KVMT_DATA_DIR", dataBefore);
}

// A profile that went through an editor or a version control system with
// Unix line ends, and one given through a pipe (`<(ssh host cat fleet.atc)`).
TEST_F(CliTest, ProfileFileAsOtherProgramsHandItOver)
{
    QTemporaryDir dir;
    const QString fleet = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001743")));
    QByteArray bytes = readAll(fleet);
    ASSERT_TRUE(bytes.contains("GSMAPN=fleet.apn;\r\n"));

    // Loaded whole, or refused with a message that says what is wrong with
    // it: no value in it holds a ';'.
    const QString lfOnly = writeAll(dir.filePath(QStringLiteral("lf-only.atc")), QByteArray(bytes).replace("\r\n", "\n"));
    const ToolRun load = runTool({QStringLiteral("load"), lfOnly});
    if (load.exitCode == 0) {
        EXPECT_TRUE(load.out.split(u'\n').contains(QStringLiteral("edAPN=fleet.apn"))) << load.out.toStdString();
        EXPECT_TRUE(load.out.split(u'\n').contains(QStringLiteral("edServerPort=4321")));
    } else {
        EXPECT_EQ(load.exitCode, 8);
        EXPECT_FALSE(load.err.contains(QStringLiteral("символ «;»"))) << load.err.toStdString();
        EXPECT_TRUE(load.err.contains(QStringLiteral("CR LF"))) << "say what the lines should end in: "
                                                                << load.err.toStdString();
    }

    // The same bytes through a pipe are no empty file.
    QTemporaryDir data;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KVMT_DATA_DIR"), data.path());
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QDir(QStringLiteral(KVMT_TEST_BIN_DIR)).filePath(QStringLiteral("kvmtconf-cli")),
               {QStringLiteral("load"), QStringLiteral("/dev/stdin")});
    ASSERT_TRUE(tool.waitForStarted());
    tool.write(bytes);
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(60000));
    const QString err = QString::fromUtf8(tool.readAllStandardError());
    EXPECT_EQ(tool.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n').contains(QStringLiteral("edAPN=fleet.apn")))
        << err.toStdString();
}

// Over several trackers a script and a person both read standard error
// line by line: the load's refusal is one of them, and says whose it is.
TEST_F(CliTest, ProvisionTellsWhichTrackerAFileEntryWasRefusedFor)
{
    QTemporaryDir dir;
    QByteArray bytes = readAll(fleetFile(dir));
    const qsizetype at = bytes.indexOf("\r\nSERVERPASS=") + 2;
    ASSERT_GT(at, 2);
    bytes.replace(at, bytes.indexOf("\r\n", at) - at, "SERVERPASS=ab;cd;");
    const QString file = writeAll(dir.filePath(QStringLiteral("semicolon.atc")), bytes);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001745")));
    TrackerHome::instance().plug(scenario(QStringLiteral("5001746")));
    const ToolRun run = runTool({QStringLiteral("provision"), file});
    EXPECT_EQ(run.exitCode, 12);
    EXPECT_EQ(run.out, QStringLiteral("5001745\tbad-file\tnot-saved\t-\n5001746\tbad-file\tnot-saved\t-\n"));
    static const QRegularExpression logLine(QStringLiteral("^(error|success|notice|plain): (KVMT )?500174[56]: \\S"));
    for (const QString &line : run.err.split(u'\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.startsWith(QLatin1String("kvmtconf-cli provision: ")) || logLine.match(line).hasMatch())
            << line.toStdString();
    }
}

TEST_F(CliTest, ProvisionTouchesOnlyTheChosenSerials)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    for (const char *serial : {"5001721", "5001722", "5001723"})
        TrackerHome::instance().plug(scenario(QString::fromLatin1(serial)));
    const ToolRun run = runTool({QStringLiteral("provision"), QStringLiteral("--serial"), QStringLiteral("5001723"),
                                 file, QStringLiteral("--serial"), QStringLiteral("5001721")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("5001721\tok\tsaved\t-\n5001723\tok\tsaved\t-\n"));
    // The other one was only asked who it is.
    EXPECT_EQ(TrackerHome::instance().commands(QStringLiteral("5001722")), QStringList{QStringLiteral("NUMBER=?;")});

    const ToolRun none = runTool({QStringLiteral("provision"), file, QStringLiteral("--serial"), QStringLiteral("5009999")});
    EXPECT_EQ(none.exitCode, 4);
    EXPECT_TRUE(none.out.isEmpty());
}

TEST_F(CliTest, ProvisionRefusesBadArgumentsBeforeTouchingATracker)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001731")));
    for (const QStringList &arguments :
         {QStringList{QStringLiteral("provision")}, QStringList{QStringLiteral("provision"), file, QStringLiteral("--serial")},
          QStringList{QStringLiteral("provision"), file, QStringLiteral("--serial"), QStringLiteral("abc")},
          QStringList{QStringLiteral("provision"), file, QStringLiteral("--count"), QStringLiteral("0")},
          QStringList{QStringLiteral("provision"), file, QStringLiteral("--bogus")}}) {
        EXPECT_EQ(runTool(arguments).exitCode, 1) << arguments.join(u' ').toStdString();
    }
    EXPECT_EQ(runTool({QStringLiteral("provision"), dir.filePath(QStringLiteral("none.atc"))}).exitCode, 8);
    EXPECT_TRUE(TrackerHome::instance().commands(QStringLiteral("5001731")).isEmpty());
}

QString writeTable(const QTemporaryDir &dir, const QByteArray &csv)
{
    return writeAll(dir.filePath(QStringLiteral("values.csv")), csv);
}

TEST_F(CliTest, ProvisionGivesEachTrackerItsOwnValuesFromATable)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    for (const char *serial : {"5001791", "5001792", "5001793"})
        TrackerHome::instance().plug(scenario(QString::fromLatin1(serial)));
    const QString table = writeTable(dir, "\xEF\xBB\xBFserial;DEVNAME;SMSNUMBER1\r\n"
                                          "5001791;VAN-1;+79001110001\r\n"
                                          "5001792;\"VAN 2\";+79001110002\r\n"
                                          "5001793;VAN-3;\r\n"
                                          "5001799;VAN-9;+79001110009\r\n");
    const ToolRun run = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"), table});
    EXPECT_EQ(run.exitCode, 12) << "a vehicle of the table was not provisioned";
    EXPECT_EQ(run.out, QStringLiteral("5001791\tok\tsaved\t-\t2\n5001792\tok\tsaved\t-\t2\n5001793\tok\tsaved\t-\t1\n"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("values.csv row 5: tracker 5001799 was not attached"))) << run.err.toStdString();
    EXPECT_EQ(flashLine(QStringLiteral("5001792"), QStringLiteral("DEVNAME=")), QStringLiteral("DEVNAME=VAN 2"));
    EXPECT_EQ(flashLine(QStringLiteral("5001791"), QStringLiteral("SMSNUMBER1=")), QStringLiteral("SMSNUMBER1=+79001110001"));
    EXPECT_EQ(flashLine(QStringLiteral("5001793"), QStringLiteral("DEVNAME=")), QStringLiteral("DEVNAME=VAN-3"));
    EXPECT_EQ(flashLine(QStringLiteral("5001793"), QStringLiteral("GSMAPN=")), QStringLiteral("GSMAPN=fleet.apn"));
    // The copies the program keeps hold each tracker's passwords: the owner's only.
    for (const QString &copy : {QDir(programExeDir()).filePath(QStringLiteral("5001792.atc")),
                                ReadHistory::copies(programExeDir(), QStringLiteral("5001792")).value(0)}) {
        const QFileDevice::Permissions permissions = QFileInfo(copy).permissions();
        EXPECT_TRUE(permissions.testFlag(QFileDevice::ReadOwner)) << copy.toStdString();
        EXPECT_EQ(int(permissions & 0x00FF), 0) << "nothing for group or others: " << copy.toStdString();
    }

    const QJsonObject json =
        parseJson(runTool({QStringLiteral("provision"), file, QStringLiteral("--values"), table, QStringLiteral("--json"),
                           QStringLiteral("--serial"), QStringLiteral("5001792")})
                      .out);
    const QJsonObject tracker = json.value(QStringLiteral("trackers")).toArray().at(0).toObject();
    EXPECT_EQ(tracker.value(QStringLiteral("result")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(tracker.value(QStringLiteral("values")).toObject().value(QStringLiteral("DEVNAME")).toString(),
              QStringLiteral("VAN 2"));
    EXPECT_TRUE(json.value(QStringLiteral("absent")).toArray().isEmpty()) << "rows not chosen are not missing";
}

// A file that loads and provisions alone (its last entry without CR LF, a
// key left out) stays a good file when a row adds the key it lacks.
TEST_F(CliTest, ProvisionAddsATableValueToAFileWithoutItsLastLineEnd)
{
    QTemporaryDir dir;
    QByteArray bytes = readAll(fleetFile(dir));
    const qsizetype at = bytes.indexOf("\r\nDEVNAME=") + 2;
    ASSERT_GT(at, 2);
    bytes.remove(at, bytes.indexOf("\r\n", at) + 2 - at);
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    bytes.chop(2);
    const QString file = writeAll(dir.filePath(QStringLiteral("hand.atc")), bytes);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001747")));
    ASSERT_EQ(runTool({QStringLiteral("load"), file}).exitCode, 0) << "the file alone is a good one";

    const ToolRun run = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"),
                                 writeTable(dir, "serial,DEVNAME\n5001747,VAN-47\n")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("5001747\tok\tsaved\t-\t1\n"));
    EXPECT_EQ(flashLine(QStringLiteral("5001747"), QStringLiteral("DEVNAME=")), QStringLiteral("DEVNAME=VAN-47"));
    EXPECT_EQ(flashLine(QStringLiteral("5001747"), QStringLiteral("GSMAPN=")), QStringLiteral("GSMAPN=fleet.apn"));
}

TEST_F(CliTest, ProvisionRefusesABadRowBeforeWritingAndGoesOn)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001790"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("protected=1")}));
    for (const char *serial : {"5001794", "5001795", "5001796", "5001797"})
        TrackerHome::instance().plug(scenario(QString::fromLatin1(serial)));
    // 5001794: the rules would write another value; 5001795: ';' in a value;
    // 5001796: no row; 5001790: its row is fine, its password missing.
    const QString table = writeTable(dir, "serial,DEVNAME,ACCLSENSELEV\n5001794,VAN-4,9\n5001795,\"V;5\",\n"
                                          "5001797,VAN-7,2\n5001790,VAN-0,\n");
    const ToolRun run = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"), table,
                                 QStringLiteral("--require-values")});
    EXPECT_EQ(run.exitCode, 12);
    EXPECT_EQ(run.out, QStringLiteral("5001790\trefused\tnot-saved\t-\t0\n"
                                      "5001794\tbad-values\tnot-saved\tACCLSENSELEV\t0\n"
                                      "5001795\tbad-values\tnot-saved\tDEVNAME\t0\n"
                                      "5001796\tno-values\tnot-saved\t-\t0\n"
                                      "5001797\tok\tsaved\t-\t2\n"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("values.csv row 2, column C (ACCLSENSELEV): \"9\" would be written as \"2\"")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("values.csv row 3, column B (DEVNAME): a value may not hold ';'")));
    EXPECT_FALSE(run.err.contains(QStringLiteral("was not attached"))) << run.err.toStdString();
    for (const char *serial : {"5001794", "5001795", "5001796"}) {
        const QStringList commands = TrackerHome::instance().commands(QString::fromLatin1(serial));
        EXPECT_FALSE(std::any_of(commands.begin(), commands.end(),
                                 [](const QString &c) { return c.contains(u'=') && !c.endsWith(QLatin1String("=?;"))
                                                            && !c.startsWith(QLatin1String("CONF")); }))
            << serial << ": " << commands.join(u' ').toStdString();
    }

    // A table that cannot be read stops the command before the first tracker.
    TrackerHome::instance().reset();
    TrackerHome::instance().plug(scenario(QStringLiteral("5001798")));
    for (const QString &bad : {writeTable(dir, "DEVNAME,serial\nVAN,5001798\n"), dir.filePath(QStringLiteral("no.csv"))}) {
        const ToolRun refused = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"), bad});
        EXPECT_EQ(refused.exitCode, 17);
        EXPECT_TRUE(refused.err.contains(QStringLiteral("cannot read the values table"))) << refused.err.toStdString();
    }
    EXPECT_TRUE(TrackerHome::instance().commands(QStringLiteral("5001798")).isEmpty());
    EXPECT_EQ(runTool({QStringLiteral("provision"), file, QStringLiteral("--require-values")}).exitCode, 1);
}

// ---- values a spreadsheet makes, and the window would never let through ----

struct BadValueCase {
    const char *name;
    QByteArray csv;  // one row, for tracker 5001661; column B is the key
    QString key;
    QString message; // part of what standard error says of row 2, column B
};

class ProvisionBadValues : public CliTest, public ::testing::WithParamInterface<BadValueCase>
{
};

TEST_P(ProvisionBadValues, RefusedBeforeItsTrackerIsWritten)
{
    const BadValueCase &c = GetParam();
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001661")));
    const ToolRun run = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"), writeTable(dir, c.csv)});
    EXPECT_EQ(run.exitCode, 12);
    EXPECT_EQ(run.out, QStringLiteral("5001661\tbad-values\tnot-saved\t%1\t0\n").arg(c.key));
    const QString said = QStringLiteral("values.csv row 2, column B (%1): ").arg(c.key);
    const QStringList lines = run.err.split(u'\n').filter(said);
    ASSERT_EQ(lines.size(), 1) << run.err.toStdString();
    EXPECT_TRUE(lines.first().contains(c.message)) << lines.first().toStdString();
    const QStringList commands = TrackerHome::instance().commands(QStringLiteral("5001661"));
    for (const QString &command : commands) {
        const bool set = command.contains(u'=') && !command.endsWith(QLatin1String("=?;"))
                      && !command.startsWith(QLatin1String("CONF"));
        EXPECT_FALSE(set || command.startsWith(QLatin1String("SAVECONFIG"))) << command.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, ProvisionBadValues,
    ::testing::Values(
        BadValueCase{"phone_in_scientific_format", "serial,SMSNUMBER1\n5001661,7.91612E+10\n",
                     QStringLiteral("SMSNUMBER1"),
                     QStringLiteral("\"7.91612E+10\" is a number as a spreadsheet shows it, not the digits as typed: "
                                    "format the column as Text and export again")},
        BadValueCase{"phone_in_comma_decimal_format", "serial;SMSNUMBER1\n5001661;7,91612E+10\n",
                     QStringLiteral("SMSNUMBER1"), QStringLiteral("format the column as Text and export again")},
        BadValueCase{"phone_as_written_down", "serial;SMSNUMBER1\n5001661;+7 916 123-45-67\n",
                     QStringLiteral("SMSNUMBER1"),
                     QStringLiteral("\"+7 916 123-45-67\" holds a blank and \"-\"; the field takes only digits and "
                                    "\"+\": remove it")},
        BadValueCase{"trailing_blank_in_quotes", "serial,SMSNUMBER1\n5001661,\"+79001110001 \"\n",
                     QStringLiteral("SMSNUMBER1"), QStringLiteral("\"+79001110001 \" holds a blank")},
        BadValueCase{"port_as_decimal", "serial,SERVERPORT\n5001661,4321.0\n", QStringLiteral("SERVERPORT"),
                     QStringLiteral("format the column as Text and export again")},
        BadValueCase{"port_too_long", "serial,SERVERPORT\n5001661,432100\n", QStringLiteral("SERVERPORT"),
                     QStringLiteral("\"432100\" is 6 characters long; the tracker keeps 5: shorten it")},
        BadValueCase{"line_break_in_quotes", "serial,DEVNAME\n5001661,\"VAN\n01\"\n", QStringLiteral("DEVNAME"),
                     QStringLiteral("\"VAN\\n01\" holds a line break, which no key types into a field: remove it")},
        BadValueCase{"name_too_long", "serial,DEVNAME\n5001661,VAN-01-Ivanov\n", QStringLiteral("DEVNAME"),
                     QStringLiteral("\"VAN-01-Ivanov\" is 13 characters long; the tracker keeps 8: shorten it")},
        BadValueCase{"not_in_windows_1251", "serial,DEVNAME\n5001661,Zo\xC3\xAB\n", QStringLiteral("DEVNAME"),
                     QStringLiteral("\"Zoë\" holds \"ë\", a character Windows-1251 (the tracker's character set) "
                                    "cannot hold: replace it")},
        BadValueCase{"pin_with_a_letter", "serial,GSMPIN\n5001661,12a4\n", QStringLiteral("GSMPIN"),
                     QStringLiteral("the field takes only digits: remove it")},
        BadValueCase{"beyond_the_range", "serial,DELAYOFF\n5001661,11\n", QStringLiteral("DELAYOFF"),
                     QStringLiteral("\"11\" would be written as \"10\": give the value the window keeps")}),
    [](const ::testing::TestParamInfo<BadValueCase> &info) { return std::string(info.param.name); });

TEST_F(CliTest, ProvisionReadsSerialsAsASpreadsheetExportsThem)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    for (const char *serial : {"5001671", "5001672", "5001673"})
        TrackerHome::instance().plug(scenario(QString::fromLatin1(serial)));
    // A number format, a blank kept in quotes, an exponent: each still the
    // serial, rows counted with the blank line, columns by their letter too.
    const QString table = writeTable(dir, "serial;DEVNAME\r\n5001671.0;VAN-71\r\n\r\n\" 5001672\";VAN-72\r\n"
                                          "5,001673E+06;VAN-73;extra\r\n");
    const ToolRun run = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"), table});
    EXPECT_EQ(run.exitCode, 12);
    EXPECT_EQ(run.out, QStringLiteral("5001671\tok\tsaved\t-\t1\n5001672\tok\tsaved\t-\t1\n"
                                      "5001673\tbad-values\tnot-saved\t-\t0\n"));
    EXPECT_EQ(flashLine(QStringLiteral("5001672"), QStringLiteral("DEVNAME=")), QStringLiteral("DEVNAME=VAN-72"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("values.csv row 5, column C: a value beyond the last named column")))
        << run.err.toStdString();
    // Every event-log line of the run names its tracker.
    for (const QString &line : run.err.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("error: ")) || line.startsWith(QLatin1String("success: "))
            || line.startsWith(QLatin1String("notice: ")) || line.startsWith(QLatin1String("plain: "))) {
            EXPECT_TRUE(line.contains(QRegularExpression(QStringLiteral("^\\w+: (KVMT )?500167[123]: ")))) << line.toStdString();
        }
    }

    // A serial a spreadsheet rounded, or none: the run stops before the first tracker.
    TrackerHome::instance().reset();
    TrackerHome::instance().plug(scenario(QStringLiteral("5001674")));
    for (const QByteArray &csv : {QByteArray("serial,DEVNAME\n5001674,A\n\n5.0017E+06,B\n"),
                                  QByteArray("serial,DEVNAME\n5001674,A\n\nVAN-9,B\n")}) {
        const ToolRun stopped = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"), writeTable(dir, csv)});
        EXPECT_EQ(stopped.exitCode, 17);
        EXPECT_TRUE(stopped.err.contains(QStringLiteral("row 4 has no serial number"))) << stopped.err.toStdString();
    }
    EXPECT_TRUE(TrackerHome::instance().commands(QStringLiteral("5001674")).isEmpty());
}

TEST_F(CliTest, ProvisionMessagesShowWhatAPersonCanActOn)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001681")));
    TrackerHome::instance().plug(scenario(QStringLiteral("5001682")));

    // A header with an escape sequence is printed escaped, never sent to the terminal.
    const ToolRun escaped = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"),
                                     writeTable(dir, "serial,DEV\x1B[2JNAME\n5001681,VAN\n")});
    EXPECT_FALSE(escaped.err.contains(QChar(0x1B)));
    EXPECT_TRUE(escaped.err.contains(QStringLiteral("row 2, column B (DEV\\x1B[2JNAME): \"DEV\\x1B[2JNAME\" names no key "
                                                    "of the profile files: delete the column or empty it")))
        << escaped.err.toStdString();
    // The CSV library's own words never reach the person.
    const ToolRun broken = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"),
                                    writeTable(dir, "serial,DEVNAME\n\n5001681,VAN\"1\n")});
    EXPECT_EQ(broken.exitCode, 17);
    EXPECT_TRUE(broken.err.contains(QStringLiteral("row 3: a quote stands inside a cell"))) << broken.err.toStdString();
    EXPECT_FALSE(broken.err.contains(QStringLiteral("strict"))) << broken.err.toStdString();

    // A serial filled down and a table of vehicles mostly not attached: one
    // line for each, not one per row.
    QByteArray csv = "serial,DEVNAME\n";
    for (int i = 0; i < 3000; ++i)
        csv += "5001681,VAN\n";
    for (int i = 0; i < 100000; ++i)
        csv += QByteArray::number(6000000 + i) + ",V" + QByteArray::number(i) + '\n';
    const ToolRun big = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"), writeTable(dir, csv)});
    EXPECT_EQ(big.exitCode, 12);
    EXPECT_EQ(big.out, QStringLiteral("5001681\tbad-values\tnot-saved\tserial\t0\n5001682\tok\tsaved\t-\t0\n"));
    EXPECT_EQ(big.err.count(QStringLiteral("serial 5001681 is given in rows 2–3001")), 1) << big.err.left(2000).toStdString();
    EXPECT_TRUE(big.err.contains(QStringLiteral("values.csv: 100000 rows were not used, their trackers not attached "
                                                "(rows 3002–103001); nothing was written with them")))
        << big.err.right(2000).toStdString();
    EXPECT_LT(big.err.count(u'\n'), 200) << "one line per row";
}

// Text pasted into a spreadsheet brings characters nobody sees (a zero-width
// space from a web page, a direction override) and now and then a whole
// document in one cell: a message must show the first and never print the
// second whole.
TEST_F(CliTest, ProvisionMessagesShowInvisibleCharactersAndStayShort)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001685")));
    struct Case {
        const char *what;
        QByteArray csv;
        int exitCode;
    };
    const QByteArray document(100000, 'A');
    const Case cases[] = {
        {"zero-width space in a value", "serial,DEVNAME\n5001685,VAN\xE2\x80\x8B" "1\n", 12},
        {"direction override in a header", "serial,DEV\xE2\x80\xAE" "NAME\n5001685,VAN\n", 12},
        // Refused by name, or read as the serial it plainly is.
        {"zero-width space after the serial", "serial,DEVNAME\n5001685\xE2\x80\x8B,VAN\n", 0},
        {"a document in a value", "serial,DEVNAME\n5001685," + document + '\n', 12},
        {"a document in a header", "serial," + document + "\n5001685,VAN\n", 12},
        {"a document in the serial cell", "serial,DEVNAME\n5" + document + ",VAN\n", 17},
        // One character in two UTF-16 units: named whole, never by half.
        {"an emoji in a value", "serial,DEVNAME\n5001685,V\xF0\x9F\x98\x80N\n", 12},
        {"a tag character in a value", "serial,DEVNAME\n5001685,V\xF3\xA0\x81\x81N\n", 12},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TrackerHome::instance().reset();
        TrackerHome::instance().plug(scenario(QStringLiteral("5001685")));
        const ToolRun run = runTool({QStringLiteral("provision"), file, QStringLiteral("--values"), writeTable(dir, c.csv)});
        if (c.exitCode == 0) {
            EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 17) << run.exitCode << run.err.left(2000).toStdString();
        } else {
            EXPECT_EQ(run.exitCode, c.exitCode) << run.err.left(2000).toStdString();
        }
        if (c.exitCode == 12) {
            EXPECT_TRUE(run.out.startsWith(QStringLiteral("5001685\tbad-values\tnot-saved\t"))) << run.out.toStdString();
        }
        for (const char16_t invisible : {u'\u200B', u'\u202E'})
            EXPECT_FALSE(run.err.contains(QChar(invisible))) << "shown as nothing: " << run.err.toStdString();
        EXPECT_LT(run.err.size(), 4000) << "a screenful at most: " << run.err.left(300).toStdString();
        static const QRegularExpression halfPair(QStringLiteral("\\\\u\\{D[89A-F][0-9A-F]{2}\\}"));
        EXPECT_FALSE(halfPair.match(run.err).hasMatch()) << "half a character named: " << run.err.toStdString();
        if (run.exitCode == 0)
            continue;
        for (const QString &command : TrackerHome::instance().commands(QStringLiteral("5001685")))
            EXPECT_TRUE(command.endsWith(QLatin1String("=?;")) || command.startsWith(QLatin1String("CONF")))
                << command.toStdString();
    }
}

TEST_F(CliTest, ProvisionWaitTakesTrackersPluggedLater)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    const QString table = writeTable(dir, "serial,DEVNAME\n5001741,VAN-1\n5001742,VAN-2\n");
    // The wait ends after two trackers, or once every vehicle of the table is done.
    for (const QStringList &ending : {QStringList{QStringLiteral("--count"), QStringLiteral("2")},
                                      QStringList{QStringLiteral("--values"), table, QStringLiteral("--require-values")}}) {
        SCOPED_TRACE(ending.join(u' ').toStdString());
        TrackerHome::instance().reset();
        TrackerHome::instance().unplugAll();
        TrackerHome::instance().plug(scenario(QStringLiteral("5001741")));
        // Plugged from inside the tool's event loop, after the first is done.
        QTimer plugLater;
        plugLater.setSingleShot(true);
        QObject::connect(&plugLater, &QTimer::timeout,
                         [] { plugAtomically(scenario(QStringLiteral("5001742")), QStringLiteral("5001742")); });
        plugLater.start(50);
        // Never hangs the suite: an interrupt ends the wait if no notice came.
        QTimer safety;
        safety.setSingleShot(true);
        QObject::connect(&safety, &QTimer::timeout, [] { std::raise(SIGINT); });
        safety.start(30000);

        const ToolRun run = runTool(QStringList{QStringLiteral("provision"), file, QStringLiteral("--wait")} + ending);
        EXPECT_TRUE(safety.isActive()) << "the plugged tracker was never noticed";
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QString taken = ending.contains(table) ? QStringLiteral("\t1") : QString();
        EXPECT_EQ(run.out, QStringLiteral("5001741\tok\tsaved\t-%1\n5001742\tok\tsaved\t-%1\n").arg(taken));
        EXPECT_EQ(flashLine(QStringLiteral("5001742"), QStringLiteral("SERVERPORT=")), QStringLiteral("SERVERPORT=4321"));
    }
}

TEST_F(CliTest, ProvisionWaitEndsCleanlyOnAnInterrupt)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001751")));
    for (const int signal : {SIGINT, SIGTERM}) {
        QTimer interrupt;
        interrupt.setSingleShot(true);
        QObject::connect(&interrupt, &QTimer::timeout, [signal] { std::raise(signal); });
        interrupt.start(100);
        const ToolRun run = runTool({QStringLiteral("provision"), file, QStringLiteral("--wait")});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        // Each run provisions the attached tracker, then waits until interrupted.
        EXPECT_EQ(run.out, QStringLiteral("5001751\tok\tsaved\t-\n"));
        EXPECT_TRUE(run.err.contains(QStringLiteral("1 of 1 trackers provisioned")));
    }
    // Waiting with nothing attached is no error, and says what was done.
    TrackerHome::instance().unplugAll();
    QTimer interrupt;
    interrupt.setSingleShot(true);
    QObject::connect(&interrupt, &QTimer::timeout, [] { std::raise(SIGINT); });
    interrupt.start(100);
    const ToolRun idle = runTool({QStringLiteral("provision"), file, QStringLiteral("--wait")});
    EXPECT_EQ(idle.exitCode, 0);
    EXPECT_TRUE(idle.out.isEmpty());
    EXPECT_TRUE(idle.err.contains(QStringLiteral("0 of 0 trackers provisioned")));
}

// One of the few tests that wait: the tracker stops answering after its
// identification, so every read sits out the library's time-out.
TEST_F(CliTest, AnInterruptEndsACommandAfterTheExchangeInProgress)
{
    QTemporaryDir dir;
    const QString atc = dir.filePath(QStringLiteral("stopped.atc"));
    const QStringList hung = {QStringLiteral("silence_waits=1"), QStringLiteral("answer_limit=3")};
    for (const QStringList &arguments : {QStringList{QStringLiteral("read")}, QStringList{QStringLiteral("save"), atc}}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        TrackerHome::instance().reset();
        TrackerHome::instance().plug(scenario(QStringLiteral("5001760"), QStringLiteral("KVMT-1.44"), hung));
        std::thread interrupt([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            std::raise(SIGINT);
        });
        const ToolRun run = runTool(arguments);
        interrupt.join();
        EXPECT_EQ(run.exitCode, 16) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(QStringLiteral("kvmtconf-cli: interrupted")));
        EXPECT_TRUE(run.err.contains(QStringLiteral("error: Чтение остановлено: не считано настроек: ")));
        // The read was stopped after its first key or so, long before its end.
        EXPECT_LE(TrackerHome::instance().commands(QStringLiteral("5001760")).size(), 3 + 2 + 1);
        EXPECT_FALSE(QFileInfo::exists(atc)) << "no partial file";
        EXPECT_TRUE(ReadHistory::copies(programExeDir(), QStringLiteral("5001760")).isEmpty()) << "no backup";
    }
}

TEST_F(CliTest, DiffListsExactlyTheKeysTheWriteWouldChange)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001761")));
    // The time zone is the computer's after a write: only then is an empty diff expected.
    ASSERT_EQ(runTool({QStringLiteral("provision"), file}).exitCode, 0);

    const ToolRun same = runTool({QStringLiteral("diff"), file});
    EXPECT_EQ(same.exitCode, 0) << same.out.toStdString();
    EXPECT_TRUE(same.out.isEmpty());

    QFile original(file);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QByteArray text = original.readAll();
    original.close();
    text.replace("GSMAPN=fleet.apn;", "GSMAPN=other.apn;");
    text.replace("SERVERPORT=4321;", "SERVERPORT=4322;");
    text.replace("DEVNAME=", "DEVNAME=VAN7");
    // Spelled otherwise, the same value: no difference.
    text.replace("SERVERPERIOD=", "SERVERPERIOD=0");
    const QString changed = dir.filePath(QStringLiteral("changed.atc"));
    QFile out(changed);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text);
    out.close();

    const ToolRun diff = runTool({QStringLiteral("diff"), changed});
    EXPECT_EQ(diff.exitCode, 2);
    const QStringList lines = diff.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << diff.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("GSMAPN\tfleet.apn\tother.apn"));
    EXPECT_EQ(lines[1], QStringLiteral("SERVERPORT\t4321\t4322"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("DEVNAME\t"))) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("\tVAN7KVMT"))) << lines[2].toStdString();
    // Nothing was written to compare.
    const QStringList commands = TrackerHome::instance().commands(QStringLiteral("5001761"));
    EXPECT_EQ(commands.count(QStringLiteral("SAVECONFIG=1;")), 1) << "only the provision saved";

    const QJsonObject json = parseJson(runTool({QStringLiteral("diff"), changed, QStringLiteral("--json")}).out);
    EXPECT_EQ(json.value(QStringLiteral("serial")).toString(), QStringLiteral("5001761"));
    EXPECT_EQ(json.value(QStringLiteral("file")).toString(), changed);
    const QJsonArray differences = json.value(QStringLiteral("differences")).toArray();
    ASSERT_EQ(differences.size(), 3);
    EXPECT_EQ(differences[0].toObject().value(QStringLiteral("key")).toString(), QStringLiteral("GSMAPN"));
    EXPECT_EQ(differences[0].toObject().value(QStringLiteral("tracker")).toString(), QStringLiteral("fleet.apn"));
    EXPECT_EQ(differences[0].toObject().value(QStringLiteral("file")).toString(), QStringLiteral("other.apn"));

    EXPECT_EQ(runTool({QStringLiteral("diff"), dir.filePath(QStringLiteral("none.atc"))}).exitCode, 8);
    EXPECT_EQ(runTool({QStringLiteral("diff")}).exitCode, 1);
}

TEST_F(CliTest, DiffListsKeysTheTrackerDidNotAnswerAsUnknown)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001766"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("silent=SMSGATE")}));
    const ToolRun provisioned = runTool({QStringLiteral("provision"), file});
    EXPECT_EQ(provisioned.out, QStringLiteral("5001766\tfailed\tsaved\tSMSGATE\n"));

    // The file's value may well be what the tracker holds; nobody can tell.
    const ToolRun diff = runTool({QStringLiteral("diff"), file});
    EXPECT_EQ(diff.exitCode, 2);
    const QStringList lines = diff.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << diff.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("SMSGATE\t?\t"))) << lines[0].toStdString();
    const QJsonObject json = parseJson(runTool({QStringLiteral("diff"), QStringLiteral("--json"), file}).out);
    const QJsonObject only = json.value(QStringLiteral("differences")).toArray().at(0).toObject();
    EXPECT_EQ(only.value(QStringLiteral("key")).toString(), QStringLiteral("SMSGATE"));
    EXPECT_TRUE(only.value(QStringLiteral("tracker")).isNull());
}

// The connection lays out the tracker's profile: in the Car profile SMS is
// sent and GPS alone is off, whatever the tracker held. Save writes that,
// so diff must list it, even for the very file saved from that window.
TEST_F(CliTest, DiffComparesWithWhatTheTrackerReportedNotWithTheLayout)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001767"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("[settings]"), QStringLiteral("CHANGEPROFILE=1"),
                                           QStringLiteral("SMSEN=0,0"), QStringLiteral("GPSEN=1")}));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("car.atc"));
    ASSERT_EQ(runTool({QStringLiteral("save"), file}).exitCode, 0);
    const ToolRun diff = runTool({QStringLiteral("diff"), file});
    EXPECT_EQ(diff.exitCode, 2);
    const QStringList lines = diff.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains(QStringLiteral("SMSEN\t0,0\t1,0"))) << diff.out.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("GPSEN\t1\t0"))) << diff.out.toStdString();
}

TEST_F(CliTest, DiffUsesTheWriteGatesOfTheAttachedFirmware)
{
    QTemporaryDir dir;
    const QString file = fleetFile(dir);
    // An old tracker without accelerometer: templates and accelerometer keys
    // are not written, so their values in the file cannot differ.
    TrackerHome::instance().plug(scenario(QStringLiteral("5001771"), QStringLiteral("KVMT-1.31"),
                                          {QStringLiteral("accelerometer=0")}));
    ASSERT_EQ(runTool({QStringLiteral("provision"), file}).exitCode, 0);
    QFile original(file);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QByteArray text = original.readAll();
    original.close();
    text.replace("MAPTEMPLATE1=", "MAPTEMPLATE1=x");
    text.replace("ACCLSENSELEV=", "ACCLSENSELEV=4;\r\nX=");
    text.replace("SMSGATE=", "SMSGATE=+7999");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text);
    out.close();
    const ToolRun diff = runTool({QStringLiteral("diff"), file});
    EXPECT_EQ(diff.exitCode, 2);
    const QStringList lines = diff.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << diff.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("SMSGATE\t")));
}

TEST_F(CliTest, ConsoleSendsOneRawCommandAndPrintsTheReply)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001781"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("silent=GSMAPN")}));
    const ToolRun number = runTool({QStringLiteral("console"), QStringLiteral("NUMBER=?;")});
    EXPECT_EQ(number.exitCode, 0) << number.err.toStdString();
    EXPECT_EQ(number.out, QStringLiteral("NUMBER=5001781;\n"));
    // The tracker is identified, not read, and the command's echo is a log
    // line like the others.
    EXPECT_TRUE(number.err.startsWith(QStringLiteral("success: Опознание прибора\n"))) << number.err.toStdString();
    EXPECT_FALSE(number.err.contains(QStringLiteral("Чтение параметров")));
    EXPECT_TRUE(number.err.contains(QStringLiteral("success: NUMBER=?;\nnotice: NUMBER=5001781;\n")));
    EXPECT_TRUE(allLogLines(number.err)) << number.err.toStdString();
    // Only identified for the command, not read.
    const QStringList commands = TrackerHome::instance().commands(QStringLiteral("5001781"));
    EXPECT_FALSE(commands.contains(QStringLiteral("SERVER=?;")));
    EXPECT_EQ(commands.last(), QStringLiteral("CONFCLOSE=1;"));

    // Sent as given, without "=" or ";" added; the reply unsplit.
    const ToolRun raw = runTool({QStringLiteral("console"), QStringLiteral("HELLO")});
    EXPECT_EQ(raw.out, QStringLiteral("NO_CMD\n"));
    EXPECT_TRUE(TrackerHome::instance().commands(QStringLiteral("5001781")).contains(QStringLiteral("HELLO")));

    const ToolRun silent = runTool({QStringLiteral("console"), QStringLiteral("GSMAPN=?;")});
    EXPECT_EQ(silent.exitCode, 11);
    EXPECT_TRUE(silent.out.isEmpty());
    EXPECT_EQ(runTool({QStringLiteral("console")}).exitCode, 1);
    EXPECT_EQ(runTool({QStringLiteral("console"), QStringLiteral("A"), QStringLiteral("B")}).exitCode, 1);
}

TEST_F(CliTest, ConsoleNeedsAnUnlockedTracker)
{
    EXPECT_EQ(runTool({QStringLiteral("console"), QStringLiteral("NUMBER=?;")}).exitCode, 4);
    TrackerHome::instance().plug(scenario(QStringLiteral("5001791"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("protected=1")}));
    const ToolRun locked = runTool({QStringLiteral("console"), QStringLiteral("GSMAPN=?;")});
    EXPECT_EQ(locked.exitCode, 5);
    EXPECT_FALSE(TrackerHome::instance().commands(QStringLiteral("5001791")).contains(QStringLiteral("GSMAPN=?;")));
    const ToolRun unlocked = runTool({QStringLiteral("console"), QStringLiteral("GSMAPN=?;"), QStringLiteral("--password"),
                                      QStringLiteral("1234")});
    EXPECT_EQ(unlocked.exitCode, 0);
    EXPECT_TRUE(unlocked.out.startsWith(QStringLiteral("GSMAPN=")));
    EXPECT_FALSE(unlocked.out.contains(QStringLiteral("DEVLOCK")));
}

// The window's rule for the language, and --language over it.
TEST_F(CliTest, TheLanguageIsTheWindowsChoiceUnlessTheOptionNamesOne)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001801"), QStringLiteral("KVMT-1.44")));
    const struct {
        QByteArray ini;
        QStringList options;
        bool english;
    } cases[] = {
        {"[COMMON]\r\nLanguage=Russian\r\n", {}, false},
        {"[COMMON]\r\nLanguage=Russian\r\n", {QStringLiteral("--language"), QStringLiteral("en")}, true},
        {"[COMMON]\r\nLanguage=english\r\n", {}, true},
        {"[COMMON]\r\nLanguage=English\r\n", {QStringLiteral("--language=RU")}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ini.toStdString() + c.options.join(u' ').toStdString());
        writeProgramSettings(c.ini);
        // The option stands anywhere, also before the command.
        const ToolRun run = runTool(c.options + QStringList{QStringLiteral("summary")});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.err.startsWith(QStringLiteral("success: Reading settings\n")), c.english) << run.err.toStdString();
        EXPECT_EQ(run.out.contains(QStringLiteral("success: Server port = 2225")), c.english);
        EXPECT_EQ(run.out.contains(QStringLiteral("success: Порт сервера = 2225")), !c.english);
    }
    // Each run leaves the application's texts as it found them.
    EXPECT_EQ(QCoreApplication::translate("kvmt::ConnectionMonitor", "Чтение параметров"),
              QStringLiteral("Чтение параметров"));

    for (const QStringList &bad : {QStringList{QStringLiteral("read"), QStringLiteral("--language"), QStringLiteral("de")},
                                   QStringList{QStringLiteral("read"), QStringLiteral("--language")}}) {
        const ToolRun run = runTool(bad);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("--language"))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_TRUE(runTool({QStringLiteral("--help")}).out.contains(QStringLiteral("--language ru|en")));
}

// Without MT.ini the computer's language decides, as for the window: the
// tool run as a program in the environment of an English and of a Russian
// system.
TEST_F(CliTest, WithoutAChoiceTheSystemLanguageDecides)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001802"), QStringLiteral("KVMT-1.44")));
    const struct {
        const char *locale;
        QStringList options;
        bool english;
    } cases[] = {
        {"en_US.UTF-8", {}, true},
        {"ru_RU.UTF-8", {}, false},
        {"en_US.UTF-8", {QStringLiteral("--language"), QStringLiteral("ru")}, false},
        {"ru_RU.UTF-8", {QStringLiteral("--language"), QStringLiteral("en")}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.locale) + ' ' + c.options.join(u' ').toStdString());
        QTemporaryDir data;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KVMT_DATA_DIR"), data.path());
        for (const char *name : {"LANG", "LC_ALL", "LC_MESSAGES"})
            environment.insert(QString::fromLatin1(name), QString::fromLatin1(c.locale));
        environment.remove(QStringLiteral("LANGUAGE"));
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start(QDir(QStringLiteral(KVMT_TEST_BIN_DIR)).filePath(QStringLiteral("kvmtconf-cli")),
                   QStringList{QStringLiteral("summary")} + c.options);
        ASSERT_TRUE(tool.waitForFinished(60000));
        const QString out = QString::fromUtf8(tool.readAllStandardOutput());
        const QString err = QString::fromUtf8(tool.readAllStandardError());
        EXPECT_EQ(tool.exitCode(), 0) << err.toStdString();
        EXPECT_EQ(err.startsWith(QStringLiteral("success: Reading settings\n")), c.english) << err.toStdString();
        EXPECT_EQ(out.contains(QStringLiteral("Server port = 2225")), c.english) << out.left(200).toStdString();
        EXPECT_EQ(out.contains(QStringLiteral("Порт сервера = 2225")), !c.english);
        EXPECT_FALSE(QFileInfo::exists(data.filePath(QStringLiteral("MT.ini")))) << "the tool chooses nothing for the window";
    }
}

TEST_F(CliTest, JsonOutputsParseAndCarryTheirFields)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001799"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("[settings]"), QStringLiteral("GSMAPN=json.apn")}));
    const QJsonObject read = parseJson(runTool({QStringLiteral("read"), QStringLiteral("--json")}).out);
    EXPECT_EQ(read.value(QStringLiteral("serial")).toString(), QStringLiteral("5001799"));
    EXPECT_EQ(read.value(QStringLiteral("firmware")).toString(), QStringLiteral("KVMT-1.44"));
    const QJsonObject members = read.value(QStringLiteral("members")).toObject();
    EXPECT_EQ(members.value(QStringLiteral("edAPN")).toString(), QStringLiteral("json.apn"));
    EXPECT_EQ(members.value(QStringLiteral("cbAutoTimeSync")).toString(), QStringLiteral("1"));
    EXPECT_FALSE(members.contains(QStringLiteral("btSave")));

    const QJsonObject summary = parseJson(runTool({QStringLiteral("summary"), QStringLiteral("--json")}).out);
    EXPECT_EQ(summary.value(QStringLiteral("serial")).toString(), QStringLiteral("5001799"));
    EXPECT_TRUE(summary.value(QStringLiteral("complete")).toBool());
    const QJsonArray rows = summary.value(QStringLiteral("rows")).toArray();
    ASSERT_FALSE(rows.isEmpty());
    const QJsonObject first = rows.first().toObject();
    EXPECT_EQ(first.value(QStringLiteral("label")).toString(), QStringLiteral("Имя прибора"));
    EXPECT_EQ(first.value(QStringLiteral("value")).toString(), QStringLiteral("KVMT"));
    EXPECT_EQ(first.value(QStringLiteral("kind")).toString(), QStringLiteral("success"));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("j.atc"));
    QFile profile(file);
    ASSERT_TRUE(profile.open(QIODevice::WriteOnly));
    profile.write("GSMAPN=file.apn;\r\n");
    profile.close();
    const ToolRun loadRun = runTool({QStringLiteral("load"), QStringLiteral("--json"), file});
    EXPECT_EQ(loadRun.exitCode, 0);
    const QJsonObject load = parseJson(loadRun.out);
    EXPECT_EQ(load.value(QStringLiteral("file")).toString(), file);
    EXPECT_EQ(load.value(QStringLiteral("members")).toObject().value(QStringLiteral("edAPN")).toString(),
              QStringLiteral("file.apn"));
    EXPECT_EQ(runTool({QStringLiteral("load"), file, QStringLiteral("--xml")}).exitCode, 1);
}

// The console sends a command exactly as written or not at all: a cut or
// re-spelled command would change settings nobody typed.
TEST_F(CliTest, ConsoleRefusesACommandItCannotSendAsWritten)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001782")));
    const QString longest = QStringLiteral("DEVNAME=") + QString(118, u'A') + u';'; // 127 bytes
    struct Case {
        QString command;
        int exitCode;
        const char *says;
        QString traced; // as the tracker received it
    };
    const Case cases[] = {
        {QStringLiteral("DEVNAME=AB;GSMAPN=") + QString(200, u'x') + u';', 1, "219 bytes long", {}},
        {QStringLiteral("GSMAPN=日本語;"), 1, "Windows-1251", {}},
        {QStringLiteral("DEVNAME=") + QString(119, u'A') + u';', 1, "128 bytes long", {}},
        {longest, 0, "", longest},
        // Cyrillic is one byte each in the tracker's character set.
        {QStringLiteral("DEVNAME=Прибор;"), 0, "", QStringLiteral("DEVNAME=\\xCF\\xF0\\xE8\\xE1\\xEE\\xF0;")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        TrackerHome::instance().reset();
        TrackerHome::instance().plug(scenario(QStringLiteral("5001782")));
        const ToolRun run = runTool({QStringLiteral("console"), c.command});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << run.err.toStdString();
        const QStringList commands = TrackerHome::instance().commands(QStringLiteral("5001782"));
        if (c.exitCode == 0) {
            EXPECT_TRUE(commands.contains(c.traced)) << commands.join(u' ').toStdString();
        } else {
            EXPECT_TRUE(commands.isEmpty()) << "nothing at all reached the tracker: " << commands.join(u' ').toStdString();
        }
    }
}

TEST_F(CliTest, ConsoleEchoHidesPasswordsTypedInACommand)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001783")));
    struct Case {
        QString command;
        QString shown;
    };
    const Case cases[] = {
        {QStringLiteral("SECUREPASSCHANGE=1234,5678;"), QStringLiteral("SECUREPASSCHANGE=****,****;")},
        {QStringLiteral("SECURESETUP=1,1234;"), QStringLiteral("SECURESETUP=1,****;")},
        {QStringLiteral("SECURERESET=ABCDEFGHIJKLMNOP,5678;"), QStringLiteral("SECURERESET=****,****;")},
        {QStringLiteral("NUMBER=?;SECUREOFFTMP=1234;"), QStringLiteral("NUMBER=?;SECUREOFFTMP=****;")},
        {QStringLiteral("SECURESETUP=?;"), QStringLiteral("SECURESETUP=?;")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        const ToolRun run = runTool({QStringLiteral("console"), c.command});
        EXPECT_TRUE(run.err.contains(QStringLiteral("success: ") + c.shown + u'\n')) << run.err.toStdString();
        for (const char *secret : {"1234", "5678", "ABCDEFGHIJKLMNOP"})
            EXPECT_FALSE(run.err.contains(QString::fromLatin1(secret))) << run.err.toStdString();
        // The tracker gets the command as typed.
        EXPECT_TRUE(TrackerHome::instance().commands(QStringLiteral("5001783")).contains(c.command));
    }
}

// Owner-only modes and core dumps are Linux's; Windows keeps the data
// folder under the user's profile.
#ifdef __linux__
// The data folder, its copies and the password lists hold the trackers'
// passwords; a password the tool holds stays out of core dumps.
TEST_F(CliTest, WhatHoldsAPasswordStaysItsOwnersOnly)
{
    constexpr QFileDevice::Permissions kGroupAndOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                                        | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                                        | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QTemporaryDir dir;
    const QByteArray dataBefore = qgetenv("KVMT_DATA_DIR");
    const QString data = dir.filePath(QStringLiteral("made/by/the/tool"));
    qputenv("KVMT_DATA_DIR", QFile::encodeName(data));
    TrackerHome::instance().plug(scenario(QStringLiteral("5001784")));
    ASSERT_EQ(prctl(PR_SET_DUMPABLE, 1, 0, 0, 0), 0);
    EXPECT_EQ(runTool({QStringLiteral("read")}).exitCode, 0);
    EXPECT_EQ(QFileInfo(data).permissions() & kGroupAndOthers, QFileDevice::Permissions{}) << "made 0700";
    EXPECT_EQ(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 1) << "no password given, nothing changed";

    // Copies an earlier version left readable to all.
    const QString oldBackup = writeAll(QDir(ReadHistory::folder(data, QStringLiteral("5001784")))
                                           .filePath(QStringLiteral("5001784_2020-01-01_00-00-00.atc")),
                                       "GSMAPN=old;\r\n");
    QDir().mkpath(QDir(data).filePath(QStringLiteral("ATG")));
    const QString oldList = writeAll(QDir(data).filePath(QStringLiteral("ATG/5001000.atg")), "PASSWORD=x;");
    for (const QString &path : {oldBackup, oldList})
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                        | QFileDevice::ReadOther);

    const QString pin = writeAll(dir.filePath(QStringLiteral("pin")), "1234\n");
    QFile::setPermissions(pin, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    const ToolRun loose = runTool({QStringLiteral("read"), QStringLiteral("--password-file"), pin});
    EXPECT_EQ(loose.exitCode, 0) << loose.err.toStdString();
    EXPECT_TRUE(loose.err.contains(QStringLiteral("is readable by other users"))) << loose.err.toStdString();
    EXPECT_EQ(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0) << "no core dump while a password is held";
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    EXPECT_EQ(QFileInfo(oldBackup).permissions() & kGroupAndOthers, QFileDevice::Permissions{})
        << "an old backup is closed when its folder is written";

    QFile::setPermissions(pin, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString file = dir.filePath(QStringLiteral("w.atc"));
    ASSERT_EQ(runTool({QStringLiteral("save"), file}).exitCode, 0);
    const ToolRun written = runTool({QStringLiteral("write"), file, QStringLiteral("--password-file"), pin});
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
    EXPECT_FALSE(written.err.contains(QStringLiteral("readable by other users"))) << written.err.toStdString();
    EXPECT_EQ(QFileInfo(oldList).permissions() & kGroupAndOthers, QFileDevice::Permissions{})
        << "an old password list is closed when its folder is written";

    // A folder the person made keeps the mode they gave it.
    const QString own = dir.filePath(QStringLiteral("own"));
    QDir().mkpath(own);
    QFile::setPermissions(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                   | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    qputenv("KVMT_DATA_DIR", QFile::encodeName(own));
    EXPECT_EQ(runTool({QStringLiteral("read")}).exitCode, 0);
    EXPECT_TRUE(QFileInfo(own).permissions().testFlag(QFileDevice::ReadGroup));
    qputenv("KVMT_DATA_DIR", dataBefore);
}
#endif

#ifndef _WIN32
// The handler runs between any two instructions of the tool: a call that
// failed just before must still find its own errno. Enough signals fill the
// handler's pipe, so that its own write fails too.
TEST_F(CliTest, TheInterruptHandlerKeepsErrno)
{
    const StopSignals stops({});
    for (int i = 0; i < 5000; ++i) {
        errno = EDOM;
        std::raise(SIGINT);
        ASSERT_EQ(errno, EDOM) << "after signal " << i + 1;
    }
}
#endif
