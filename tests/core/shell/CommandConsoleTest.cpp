// Protects the service console and the exit notice against a virtual
// tracker: what is sent byte for byte, what the log shows, and that nothing
// at all happens without a connection.
#include "shell/CdcLog.h"
#include "shell/CommandConsole.h"
#include "shell/SessionClose.h"

#include "TrackerFixture.h"
#include "log/EventLog.h"

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class Console : public TrackerTest
{
protected:
    void connect()
    {
        home.plug(scenario(QStringLiteral("5001777")));
        openFirst();
        flags |= LinkFlag::Present | LinkFlag::Connected;
    }
    QStringList sent() const { return home.commands(QStringLiteral("5001777")); }

    RecordingEventLog log;
    LinkFlags flags;
    CommandConsole console{link, log, flags};
};

} // namespace

TEST_F(Console, WithoutAConnectionNothingHappens)
{
    home.plug(scenario(QStringLiteral("5001777")));
    openFirst(); // open, but the connection was never taken up
    EXPECT_FALSE(console.send(QStringLiteral("NUMBER=?;")));
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_TRUE(console.history().entries().isEmpty());
}

TEST_F(Console, QueryLogsAnEmptyLineTheCommandAndTheWholeReply)
{
    connect();
    EXPECT_TRUE(console.send(QStringLiteral("NUMBER=?;")));
    EXPECT_EQ(sent(), QStringList{QStringLiteral("NUMBER=?;")});
    const QList<LogLine> expected{{QStringLiteral("\nNUMBER=?;"), LogSuccess},
                                  {QStringLiteral("NUMBER=5001777;"), LogNotice}};
    EXPECT_EQ(log.lines(), expected);
}

TEST_F(Console, CommandsGoOutExactlyAsTypedAndRepliesUnsplit)
{
    connect();
    console.send(QStringLiteral("HELLO"));
    console.send(QStringLiteral("DEVNAME=Прибор;"));
    EXPECT_EQ(sent(), (QStringList{QStringLiteral("HELLO"), QStringLiteral("DEVNAME=\\xCF\\xF0\\xE8\\xE1\\xEE\\xF0;")}));
    ASSERT_EQ(log.lines().size(), 4);
    EXPECT_EQ(log.lines()[1], (LogLine{QStringLiteral("NO_CMD"), LogNotice}));
    EXPECT_EQ(log.lines()[3], (LogLine{QStringLiteral("DEVNAME=Прибор;"), LogNotice}));
}

TEST_F(Console, ASilentTrackerLeavesOnlyTheCommandLine)
{
    home.plug(scenario(QStringLiteral("5001777"), QStringLiteral("KVMT-1.44"), {QStringLiteral("silent=NUMBER")}));
    openFirst();
    flags |= LinkFlag::Connected;
    console.send(QStringLiteral("NUMBER=?;"));
    EXPECT_EQ(log.lines(), (QList<LogLine>{{QStringLiteral("\nNUMBER=?;"), LogSuccess}}));
}

TEST(ConsoleBuffer, LongTextIsCutToTheBufferAndAtANul)
{
    EXPECT_EQ(CommandConsole::fitBuffer(QByteArray(539, 'x')).size(), 127);
    EXPECT_EQ(CommandConsole::fitBuffer(QByteArray(127, 'x')).size(), 127);
    EXPECT_EQ(CommandConsole::fitBuffer(QByteArray("AB\0CD", 5)), QByteArray("AB"));
    EXPECT_EQ(CommandConsole::fitBuffer(QByteArray()), QByteArray());
}

TEST_F(Console, BootLoaderButtonsSendTheirCommandsWhateverTheLink)
{
    home.plug(scenario(QStringLiteral("5001777")));
    openFirst(); // not connected: these buttons do not look
    console.Button2Click();
    console.Button1Click();
    const QStringList commands = sent();
    ASSERT_EQ(commands.size(), 4);
    EXPECT_TRUE(commands[0].startsWith(QStringLiteral("PROTECTION,")));
    const QString code = commands[0].mid(11).chopped(1);
    EXPECT_EQ(code.size(), 16);
    EXPECT_TRUE(std::all_of(code.begin(), code.end(), [](QChar c) { return c.isDigit(); }));
    EXPECT_TRUE(commands[0].endsWith(u'$'));
    EXPECT_EQ(commands.mid(1), (QStringList{QStringLiteral("FL_GET_RATE$"), QStringLiteral("FL_GET_NUM$"),
                                            QStringLiteral("START_BOOT_LOADER")}));
    // The flash answers are not shown; the loader's start is.
    EXPECT_EQ(log.lines(), (QList<LogLine>{{QStringLiteral("BOOT_LOADER_OK"), LogSuccess}}));
}

TEST(ConsoleHistory, UpAndDownWalkTheSentCommandsAndComeBackToTheTypedLine)
{
    CommandHistory history;
    EXPECT_EQ(history.previous(QStringLiteral("typed")), std::nullopt);
    history.add(QStringLiteral("A"));
    history.add(QStringLiteral("B"));
    history.add(QStringLiteral("B"));
    history.add(QString());
    EXPECT_EQ(history.entries(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));

    EXPECT_EQ(history.next(), std::nullopt);
    EXPECT_EQ(history.previous(QStringLiteral("half")), QStringLiteral("B"));
    EXPECT_EQ(history.previous(QStringLiteral("B")), QStringLiteral("A"));
    EXPECT_EQ(history.previous(QStringLiteral("A")), std::nullopt);
    EXPECT_EQ(history.next(), QStringLiteral("B"));
    EXPECT_EQ(history.next(), QStringLiteral("half"));
    EXPECT_EQ(history.next(), std::nullopt);

    // Sending starts the recall again from the newest.
    EXPECT_EQ(history.previous(QString()), QStringLiteral("B"));
    history.add(QStringLiteral("A"));
    EXPECT_EQ(history.previous(QString()), QStringLiteral("A"));
    EXPECT_EQ(history.previous(QString()), QStringLiteral("B"));
}

TEST_F(Console, ExitTellsAConnectedTrackerThenClosesIt)
{
    connect();
    CdcLog cdcLog(flags);
    closeSession(cdcLog, link, flags);
    EXPECT_EQ(sent(), QStringList{QStringLiteral("CONFCLOSE=1;")});
    EXPECT_FALSE(link.hasHandle());
}

TEST_F(Console, ExitWithoutAConnectionSendsNothing)
{
    home.plug(scenario(QStringLiteral("5001777")));
    openFirst();
    flags |= LinkFlag::LogPortOpen;
    CdcLog cdcLog(flags);
    closeSession(cdcLog, link, flags);
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_FALSE(link.hasHandle());
    EXPECT_FALSE(flags.testFlag(LinkFlag::LogPortOpen));
}
