// Protects the communication tests: the settings written before a start and
// the echo taken back, the poll answers within their limits, and the stage
// and verdict lines, against virtual trackers with scripted stages.
#include "TrackerFixture.h"

#include "log/EventLog.h"
#include "services/CommunicationTests.h"
#include "settings/DeviceSettings.h"
#include "settings/SequenceStop.h"

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

const QString kPassed = QStringLiteral("Тестирование успешно завершено");
const QString kFailed = QStringLiteral("Ошибка при тестировании");

LogLine line(const char *text, int kind)
{
    return {QString::fromLatin1(text), kind};
}

class CommTestsTest : public TrackerTest
{
protected:
    // Plugs a tracker whose tests run through these stage lists.
    void plugWith(const QStringList &trackerKeys, const QString &tests = {})
    {
        QString text = scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), trackerKeys);
        if (!tests.isEmpty())
            text += QStringLiteral("[tests]\n") + tests + QLatin1Char('\n');
        home.plug(text);
        openFirst();
    }

    // Ticks the test's poll timer by hand until it stops, at most `limit`
    // times; returns the ticks made.
    int pollUntilEnded(CommTest test, int limit = 20)
    {
        int ticks = 0;
        while (tests.isPolling(test) && ticks < limit) {
            tests.poll(test);
            ++ticks;
        }
        return ticks;
    }

    QList<LogLine> linesFrom(qsizetype first) const { return log.lines().mid(first); }
    QStringList commands() const { return home.commands(QStringLiteral("5001500")); }

    DeviceSettings settings;
    RecordingEventLog log;
    CommunicationTests tests{link, settings, log};
};

} // namespace

TEST(PollReplySplit, TakesKeyStageAndResultLessTheClosingCharacter)
{
    const auto reply = splitPollReply("SMTPTEST=TEST_SMTP:BAD_AUTH;");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->key, "SMTPTEST");
    EXPECT_EQ(reply->stage, "TEST_SMTP");
    EXPECT_EQ(reply->result, "BAD_AUTH");

    // Only the first '=' and the first ':' after it separate.
    const auto nested = splitPollReply("A:B=C:D:E=F;");
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->key, "A:B");
    EXPECT_EQ(nested->stage, "C");
    EXPECT_EQ(nested->result, "D:E=F");

    // Whatever closes the reply is dropped, ';' or not; nothing at all
    // after the colon is an empty result, not a read before it.
    EXPECT_EQ(splitPollReply("SMSTEST=GSM:OK")->result, "O");
    EXPECT_EQ(splitPollReply("SMSTEST=GSM:")->result, "");
    EXPECT_EQ(splitPollReply("SMSTEST=GSM:;")->result, "");
    EXPECT_EQ(splitPollReply("=:;")->key, "");
}

TEST(PollReplySplit, RepliesOutsideTheProtocolAreRefused)
{
    EXPECT_FALSE(splitPollReply(""));
    EXPECT_FALSE(splitPollReply("DEVLOCK;"));
    EXPECT_FALSE(splitPollReply("NO_CMD"));
    EXPECT_FALSE(splitPollReply("SMTPTEST=ENDED;")) << "no colon";
    EXPECT_FALSE(splitPollReply("SMTPTEST:GSM=OK;")) << "the colon must follow the '='";
    // The reply ends at a NUL, as the buffer it arrives in does.
    EXPECT_FALSE(splitPollReply(QByteArrayView("SMTPTEST=GSM\0:OK;", 17)));
    const auto cut = splitPollReply(QByteArrayView("SMTPTEST=GSM:OK;\0:X", 19));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->result, "OK");
}

TEST(PollReplySplit, LimitsHoldExactlyAtTheirEdges)
{
    const QByteArray a126(126, 'k');
    EXPECT_TRUE(splitPollReply(a126 + "=S:R;")) << "'=' at position 126";
    EXPECT_FALSE(splitPollReply(a126 + "k=S:R;")) << "'=' at position 127";

    EXPECT_TRUE(splitPollReply("K=" + QByteArray(63, 's') + ":R;"));
    EXPECT_FALSE(splitPollReply("K=" + QByteArray(64, 's') + ":R;")) << "stage of 64";
    EXPECT_TRUE(splitPollReply("K=S:" + QByteArray(63, 'r') + ";"));
    EXPECT_FALSE(splitPollReply("K=S:" + QByteArray(64, 'r') + ";")) << "result of 64";

    // The text after '=' must stay under 128 even when each word fits.
    EXPECT_FALSE(splitPollReply("K=S:" + QByteArray(124, 'r')));
    EXPECT_FALSE(splitPollReply("K=" + QByteArray(600, 'x')));
}

TEST_F(CommTestsTest, SmtpStartWritesItsThirteenSettingsThenStartsAndPolls)
{
    plugWith({});
    settings.setText(F::edPinCode, QStringLiteral("1234"));
    settings.setText(F::edAPN, QStringLiteral("internet.test"));
    settings.setText(F::edSMTPServer, QStringLiteral("smtp.test"));
    settings.setText(F::edSMTPTo4, QString());
    tests.btTestSMTPClick();

    const QStringList sent = commands();
    ASSERT_EQ(sent.size(), 14);
    EXPECT_EQ(sent[0], QStringLiteral("GSMPIN=1234;"));
    EXPECT_EQ(sent[2], QStringLiteral("GSMAPN=internet.test;"));
    EXPECT_EQ(sent[4], QStringLiteral("SMTPSERVER=smtp.test;"));
    EXPECT_EQ(sent[12], QStringLiteral("SMTPTO4=;"));
    EXPECT_EQ(sent[13], QStringLiteral("SMTPTEST=1;"));
    const QList<LogLine> expected = {
        line("Pin Ok", LogSuccess),         line("APN Login Ok", LogSuccess),  line("APN Ok", LogSuccess),
        line("APN Pass Ok", LogSuccess),    line("SMTP Server Ok", LogSuccess), line("SMTP Port Ok", LogSuccess),
        line("SMTP Login Ok", LogSuccess),  line("SMTP Pass Ok", LogSuccess),  line("SMTP From Ok", LogSuccess),
        line("SMTP To Ok 1", LogSuccess),   line("SMTP To Ok 2", LogSuccess),  line("SMTP To Ok 3", LogSuccess),
        line("SMTP To Ok 4", LogSuccess),
    };
    EXPECT_EQ(log.lines(), expected);
    EXPECT_TRUE(tests.isPolling(CommTest::Smtp));
    EXPECT_EQ(tests.timer(CommTest::Smtp).interval(), 1000);
    EXPECT_FALSE(tests.isPolling(CommTest::Server));
    EXPECT_TRUE(settings.isEnabled(F::btTestSMTP)) << "only the SMS button waits for the end";

    // A second press sends everything again; one timer goes on.
    tests.btTestSMTPClick();
    EXPECT_EQ(commands().size(), 28);
    EXPECT_EQ(commands().last(), QStringLiteral("SMTPTEST=1;"));
    EXPECT_TRUE(tests.isPolling(CommTest::Smtp));
}

TEST_F(CommTestsTest, SmsAndServerTestsWriteTheirOwnSettings)
{
    plugWith({});
    tests.btTestSMSClick();
    EXPECT_EQ(commands().mid(0, 6), (QStringList{QStringLiteral("GSMPIN=;"), QStringLiteral("SMSNUMBER1=;"),
                                                 QStringLiteral("SMSNUMBER2=;"), QStringLiteral("SMSNUMBER3=;"),
                                                 QStringLiteral("SMSGATE=;"), QStringLiteral("SMSTEST=1;")}));
    EXPECT_EQ(log.lines().last(), line("SMS GATE Ok", LogSuccess));

    settings.setText(F::edServerPort, QStringLiteral("2225"));
    tests.btSrvTestClick();
    const QStringList server = commands().mid(6);
    ASSERT_EQ(server.size(), 8);
    EXPECT_EQ(server[4], QStringLiteral("SERVER=;"));
    EXPECT_EQ(server[5], QStringLiteral("SERVERPORT=2225;"));
    EXPECT_EQ(server[6], QStringLiteral("SERVERPASS=;"));
    EXPECT_EQ(server[7], QStringLiteral("SRVTEST=1;"));
    EXPECT_EQ(log.lines().mid(log.lines().size() - 3),
              (QList<LogLine>{line("IP Server Ok", LogSuccess), line("Server Port Ok", LogSuccess),
                              line("Server Pass Ok", LogSuccess)}));
}

TEST_F(CommTestsTest, ShortenedEchoIsShownAndStillConfirmed)
{
    plugWith({QStringLiteral("text_limits=SMTPSERVER:10")});
    settings.setText(F::edSMTPServer, QStringLiteral("smtp.example.org"));
    tests.btTestSMTPClick();
    EXPECT_EQ(settings.text(F::edSMTPServer), QStringLiteral("smtp.examp"));
    EXPECT_TRUE(log.lines().contains(line("SMTP Server Ok", LogSuccess)));
}

TEST_F(CommTestsTest, RowsWithoutAnEchoKeepTheFieldAndSayNothing)
{
    plugWith({QStringLiteral("silent=GSMAPN"), QStringLiteral("wrong=SMTPLOGIN")});
    settings.setText(F::edAPN, QStringLiteral("my.apn"));
    settings.setText(F::edSMTPLogin, QStringLiteral("me"));
    tests.btTestSMTPClick();
    // Neither silence nor a refusal is an echo to take into the field.
    EXPECT_EQ(settings.text(F::edAPN), QStringLiteral("my.apn"));
    EXPECT_EQ(settings.text(F::edSMTPLogin), QStringLiteral("me"));
    EXPECT_FALSE(log.lines().contains(line("APN Ok", LogSuccess)));
    EXPECT_FALSE(log.lines().contains(line("SMTP Login Ok", LogSuccess)));
    EXPECT_EQ(log.lines().size(), 11) << "the other rows go on; no error lines";
    for (const LogLine &l : log.lines())
        EXPECT_EQ(l.kind, LogSuccess);
    EXPECT_TRUE(tests.isPolling(CommTest::Smtp));
}

TEST_F(CommTestsTest, LockedTrackerLeavesThePersonsValuesAlone)
{
    plugWith({QStringLiteral("protected=1")});
    settings.setText(F::edSMTPServer, QStringLiteral("smtp.test"));
    settings.setText(F::edPinCode, QStringLiteral("1234"));
    tests.btTestSMTPClick();
    EXPECT_EQ(settings.text(F::edSMTPServer), QStringLiteral("smtp.test"));
    EXPECT_EQ(settings.text(F::edPinCode), QStringLiteral("1234"));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(CommTestsTest, SuccessfulSmtpTestLogsStagesVerdictAndEnd)
{
    plugWith({}, QStringLiteral("smtp=GSM:OK,GPRS:OK,TEST_SMTP:OK,TEST_SMTP:OK,ENDED:OK"));
    tests.btTestSMTPClick();
    const qsizetype first = log.lines().size();
    EXPECT_EQ(pollUntilEnded(CommTest::Smtp), 5);
    EXPECT_EQ(linesFrom(first), (QList<LogLine>{
                                    line("SMTPTEST=GSM:OK;", LogSuccess),
                                    line("SMTPTEST=GPRS:OK;", LogSuccess),
                                    line("SMTPTEST=TEST_SMTP:OK;", LogSuccess),
                                    {kPassed, LogSuccess},
                                    line("SMTPTEST=ENDED:OK;", LogSuccess),
                                }));
    EXPECT_EQ(tests.lastTestStatus(), "ENDED");
    EXPECT_EQ(tests.verdict(CommTest::Smtp), CommunicationTests::Verdict::Passed);
}

TEST_F(CommTestsTest, BadResultsAreJudgedByStage)
{
    plugWith({}, QStringLiteral("smtp=GSM:BAD_SIGNAL,GPRS:BAD,GPRS:BAD,TEST_SMTP:BAD_AUTH,ENDED:OK"));
    tests.btTestSMTPClick();
    const qsizetype first = log.lines().size();
    pollUntilEnded(CommTest::Smtp);
    EXPECT_EQ(linesFrom(first), (QList<LogLine>{
                                    // A result beginning "BAD" judges only the final stage.
                                    line("SMTPTEST=GSM:BAD_SIGNAL;", LogSuccess),
                                    // "BAD" itself judges any stage, once.
                                    line("SMTPTEST=GPRS:BAD;", LogSuccess),
                                    {kFailed, LogError},
                                    line("SMTPTEST=TEST_SMTP:BAD_AUTH;", LogSuccess),
                                    {kFailed, LogError},
                                    line("SMTPTEST=ENDED:OK;", LogSuccess),
                                }));
    EXPECT_EQ(tests.verdict(CommTest::Smtp), CommunicationTests::Verdict::Failed);
}

TEST_F(CommTestsTest, SmsButtonWaitsForTheEndAndItsStageLinesArePlain)
{
    plugWith({}, QStringLiteral("sms=GSM:OK,TEST_SMS:OK,ENDED:OK"));
    settings.setEnabled(F::btTestSMS, true);
    tests.btTestSMSClick();
    EXPECT_FALSE(settings.isEnabled(F::btTestSMS));
    const qsizetype first = log.lines().size();
    tests.Timer3Timer();
    tests.Timer3Timer();
    EXPECT_FALSE(settings.isEnabled(F::btTestSMS));
    tests.Timer3Timer();
    EXPECT_TRUE(settings.isEnabled(F::btTestSMS));
    EXPECT_FALSE(tests.isPolling(CommTest::Sms));
    EXPECT_EQ(linesFrom(first), (QList<LogLine>{line("SMSTEST=GSM:OK;", LogPlain), line("SMSTEST=TEST_SMS:OK;", LogPlain),
                                                {kPassed, LogSuccess}, line("SMSTEST=ENDED:OK;", LogPlain)}));
}

TEST_F(CommTestsTest, EndedWithBadResultStillEndsTheTest)
{
    plugWith({}, QStringLiteral("sms=GSM:OK,ENDED:BAD"));
    tests.btTestSMSClick();
    const qsizetype first = log.lines().size();
    EXPECT_EQ(pollUntilEnded(CommTest::Sms), 2);
    EXPECT_EQ(linesFrom(first), (QList<LogLine>{line("SMSTEST=GSM:OK;", LogPlain), line("SMSTEST=ENDED:BAD;", LogPlain),
                                                {kFailed, LogError}}));
    EXPECT_TRUE(settings.isEnabled(F::btTestSMS));
}

TEST_F(CommTestsTest, StageSeenByAnyTestIsThePreviousStageForAll)
{
    plugWith({}, QStringLiteral("srv=ENDED:OK\nsms=GSM:OK,ENDED:OK"));
    tests.btTestSMSClick();
    pollUntilEnded(CommTest::Sms);
    ASSERT_EQ(tests.lastTestStatus(), "ENDED");

    // The server test's first answer still says "ENDED": nothing is logged
    // and polling stops at once.
    tests.btSrvTestClick();
    const qsizetype first = log.lines().size();
    tests.Timer4Timer();
    EXPECT_EQ(log.lines().size(), first);
    EXPECT_FALSE(tests.isPolling(CommTest::Server));
}

TEST_F(CommTestsTest, FailedPollReadEndsTheTickQuietly)
{
    plugWith({}, QStringLiteral("srv=GSM:OK,ENDED:OK"));
    tests.btSrvTestClick();
    const qsizetype first = log.lines().size();
    home.unplugAll();
    tests.Timer4Timer();
    EXPECT_EQ(log.lines().size(), first);
    EXPECT_TRUE(tests.isPolling(CommTest::Server)) << "losing the tracker does not stop the poll";
}

TEST_F(CommTestsTest, WithoutATrackerTheTestStillStartsPolling)
{
    // Nothing opened: every exchange fails, silently.
    tests.btTestSMTPClick();
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(tests.isPolling(CommTest::Smtp));
    tests.Timer2Timer();
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(tests.lastTestStatus().isEmpty());
}

// A stop has no command of the protocol to pass on: the tracker's own test
// runs on, and the one line says so; a test stopped in its settings phase was
// never started, and its line says that instead.
TEST_F(CommTestsTest, AStoppedTestSaysSoOnceAndWhetherTheTrackerRunsIt)
{
    SequenceStop stop;
    tests.setStop(&stop);
    plugWith({}, QStringLiteral("sms=GSM:OK,GPRS:OK,TEST_SMS:OK,ENDED:OK"));
    const LogLine runsOn{QStringLiteral("Тестирование остановлено: трекер может завершить тест сам"), LogError};
    const LogLine notStarted{QStringLiteral("Тестирование остановлено: тест не запущен"), LogError};

    tests.btTestSMSClick();
    tests.poll(CommTest::Sms);
    const qsizetype sent = commands().size();
    const qsizetype first = log.lines().size();
    stop.request();
    tests.poll(CommTest::Sms);
    tests.poll(CommTest::Sms);
    EXPECT_EQ(linesFrom(first), QList<LogLine>{runsOn});
    EXPECT_EQ(commands().size(), sent) << "no poll after the stop";
    EXPECT_FALSE(tests.isPolling(CommTest::Sms));
    EXPECT_TRUE(settings.isEnabled(F::btTestSMS));

    const qsizetype second = log.lines().size();
    tests.btSrvTestClick();
    EXPECT_EQ(linesFrom(second), QList<LogLine>{notStarted});
    EXPECT_EQ(commands().size(), sent) << "neither its settings nor its start";
    EXPECT_FALSE(tests.isPolling(CommTest::Server));
}

// One sequence at a time: a start or a poll while another holds the link is
// refused and sends nothing.
TEST_F(CommTestsTest, NoStartOrPollWhileAnotherSequenceHoldsTheLink)
{
    plugWith({}, QStringLiteral("srv=GSM:OK,ENDED:OK"));
    tests.btSrvTestClick();
    const qsizetype sent = commands().size();
    {
        const std::optional<DeviceLink::Claim> other = link.claim();
        ASSERT_TRUE(other);
        EXPECT_FALSE(tests.btTestSMTPClick());
        tests.poll(CommTest::Server);
        EXPECT_EQ(commands().size(), sent);
        EXPECT_TRUE(tests.isPolling(CommTest::Server)) << "the next tick asks instead";
    }
    tests.poll(CommTest::Server);
    EXPECT_EQ(commands().size(), sent + 1);
}
