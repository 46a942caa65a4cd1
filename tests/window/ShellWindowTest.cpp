// Protects the window's life: what showing applies from MT.ini and the
// command line, what closing tells the tracker and writes, the service
// console, and the debug log window over a virtual tracker's port.
#include "ui/TForm1.h"
#include "ui/TForm2.h"

#include "shell/CdcLog.h"
#include "shell/LogPortSearch.h"

#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <memory>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class ShellWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { TrackerHome::instance().reset(); }

    TForm1 &create(const QStringList &arguments = {}, bool withExeDir = true)
    {
        TForm1::Options options;
        options.libraryDirs = {QStringLiteral(KVMT_TEST_BIN_DIR)};
        options.prompts = &prompts;
        options.watchDevices = false;
        options.arguments = arguments;
        if (withExeDir)
            options.exeDir = exeDir.path();
        window = std::make_unique<TForm1>(options);
        return *window;
    }
    QString iniPath() const { return exeDir.filePath(QStringLiteral("MT.ini")); }
    QByteArray ini() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeIni(const QByteArray &bytes) const
    {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void connectTracker(const QStringList &extra = {})
    {
        TrackerHome::instance().plug(scenario(QStringLiteral("5001600"), QStringLiteral("KVMT-1.44"), extra));
        window->configurator().monitor().devtimerTimer();
        ASSERT_TRUE(window->configurator().isConnected());
    }
    QStringList sent() const { return TrackerHome::instance().commands(QStringLiteral("5001600")); }
    template<typename W = QWidget>
    W *control(const char *name) const
    {
        return window->findChild<W *>(QString::fromLatin1(name));
    }

    QTemporaryDir exeDir;
    ScriptedPrompts prompts;
    std::unique_ptr<TForm1> window;
};

template<typename Done>
bool waitFor(Done done)
{
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

} // namespace

TEST_F(ShellWindowTest, ShowingSetsCaptionProfileAndFirstPages)
{
    TForm1 &w = create();
    w.findChild<QTabWidget *>(QStringLiteral("pcSetup"))->setCurrentIndex(3);
    w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
    int summaries = 0;
    QObject::connect(&w.configurator(), &Configurator::summaryBuilt, [&summaries] { ++summaries; });
    w.show();
    EXPECT_EQ(summaries, 0) << "the program's own page choice builds no summary";
    EXPECT_EQ(w.windowTitle(), QStringLiteral("KVMTConf %1.%2").arg(KVMT_VERSION_MAJOR).arg(KVMT_VERSION_MINOR));
    EXPECT_EQ(control<QComboBox>("cbProfile")->currentIndex(), 5);
    EXPECT_EQ(control<QTabWidget>("PageControl1")->currentIndex(), 0);
    EXPECT_EQ(control<QTabWidget>("pcSetup")->currentIndex(), 0);
    EXPECT_FALSE(w.consoleEnabled());
    for (const char *hidden : {"edCmd", "btSkip", "btOpenLog", "Button1", "Button2"})
        EXPECT_TRUE(control(hidden)->isHidden()) << hidden;
}

TEST_F(ShellWindowTest, OnlyThePersonsChoiceOfPageBuildsTheSummary)
{
    TForm1 &w = create();
    w.show();
    auto *pages = control<QTabWidget>("PageControl1");
    QTabBar *bar = pages->tabBar();
    int summaries = 0;
    QObject::connect(&w.configurator(), &Configurator::summaryBuilt, [&summaries] { ++summaries; });
    pages->setCurrentIndex(2);                                            // the program's: none
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center()); // 1
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center()); // no switch: none
    QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);             // 2
    QTest::keyClick(bar, Qt::Key_Left);                                   // 3
    EXPECT_EQ(pages->currentIndex(), 1);
    EXPECT_EQ(summaries, 3);
}

// The summary pane takes its whole tab: a tracker's ordinary settings fit
// without a horizontal scroll bar, and only a value too long for the tab
// brings one.
TEST_F(ShellWindowTest, TheSummaryFillsItsTabAndScrollsSidewaysOnlyForALongValue)
{
    TForm1 &w = create();
    w.show();
    connectTracker();
    auto *pages = control<QTabWidget>("PageControl1");
    auto *pane = control<QTextEdit>("All_param");
    // Built at connection while its page was hidden, the summary opens at
    // its first line when the program brings the page forward.
    pages->setCurrentIndex(2);
    QApplication::processEvents();
    EXPECT_GT(pane->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(pane->verticalScrollBar()->value(), 0);

    QTabBar *bar = pages->tabBar();
    const auto showSummary = [&] {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
        QApplication::processEvents();
    };
    showSummary();
    ASSERT_EQ(pages->currentWidget(), pane->parentWidget());
    EXPECT_EQ(pane->geometry(), pane->parentWidget()->rect());
    EXPECT_GE(pane->width(), pages->width() - 8);
    EXPECT_TRUE(pane->toPlainText().contains(QStringLiteral("Порт сервера = ")));
    EXPECT_TRUE(pane->verticalScrollBar()->isVisible());
    EXPECT_FALSE(pane->horizontalScrollBar()->isVisible());
    EXPECT_LE(pane->document()->idealWidth(), pane->viewport()->width());

    w.configurator().settings().setChecked(F::rbGoogle, true);
    w.configurator().settings().setText(F::edMapFormat_1, QString(96, QLatin1Char('W')));
    showSummary();
    EXPECT_TRUE(pane->horizontalScrollBar()->isVisible());
}

TEST_F(ShellWindowTest, TheServiceParameterShowsConsoleAndLogButton)
{
    TForm1 &w = create({QString(), QStringLiteral("-Cmd")});
    w.show();
    EXPECT_TRUE(w.consoleEnabled());
    for (const char *shown : {"edCmd", "btSkip", "btOpenLog"})
        EXPECT_FALSE(control(shown)->isHidden()) << shown;
    // The boot-loader buttons stay hidden whatever the command line.
    EXPECT_TRUE(control("Button1")->isHidden());
    EXPECT_TRUE(control("Button2")->isHidden());
}

TEST_F(ShellWindowTest, StoredGeometryIsAppliedAndAnUnchangedExitWritesNothing)
{
    // The outer size, frame included (the inside is 723 wide, fixed).
    writeIni("[COMMON]\nMainForm=40,30,727,700\n");
    TForm1 &w = create();
    w.show();
    EXPECT_EQ(w.currentGeometry(), (WindowGeometry{40, 30, 727, 700}));
    EXPECT_EQ(w.frameGeometry().size(), QSize(727, 700));
    window.reset();
    EXPECT_EQ(ini(), QByteArray("[COMMON]\nMainForm=40,30,727,700\n"));
}

TEST_F(ShellWindowTest, AMovedWindowIsWrittenAtExitAndThreeNumbersAreIgnored)
{
    writeIni("[COMMON]\nMainForm=40,30,723\n");
    TForm1 &w = create();
    w.show();
    const WindowGeometry design = w.currentGeometry();
    EXPECT_NE(design.top, 40) << "three numbers leave the layout's place";
    w.resize(723, 680);
    const WindowGeometry moved = w.currentGeometry();
    EXPECT_EQ(moved.height, w.frameGeometry().height());
    window.reset();
    EXPECT_EQ(ini(), QByteArray("[COMMON]\nMainForm=") + formatGeometry(moved).toLatin1() + '\n');
}

TEST_F(ShellWindowTest, NoFileIsCreatedWithCurrentGeometryAtExit)
{
    create().show();
    const WindowGeometry geometry = window->currentGeometry();
    window.reset();
    EXPECT_EQ(ini(), QByteArray("[COMMON]\nMainForm=")
                         + QStringLiteral("%1,%2,%3,%4\n")
                               .arg(geometry.top)
                               .arg(geometry.left)
                               .arg(geometry.width)
                               .arg(geometry.height)
                               .toLatin1());
}

TEST_F(ShellWindowTest, ExitTellsAConnectedTrackerAndNotAnAbsentOne)
{
    create().show();
    connectTracker();
    const qsizetype before = sent().size();
    window->close();
    EXPECT_EQ(sent().mid(before), QStringList{QStringLiteral("CONFCLOSE=1;")});
    EXPECT_FALSE(window->configurator().link().hasHandle());

    TrackerHome::instance().reset();
    create().show();
    window->configurator().monitor().devtimerTimer();
    ASSERT_FALSE(window->configurator().isConnected());
    window->close();
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(ShellWindowTest, ConsoleSendsOnEnterAndRecallsWithUp)
{
    create({QStringLiteral("/CMD")}).show();
    auto *command = control<QLineEdit>("edCmd");
    QTest::keyClicks(command, QStringLiteral("NUMBER=?;"));
    QTest::keyClick(command, Qt::Key_Return);
    EXPECT_TRUE(window->logPane()->toPlainText().isEmpty()) << "nothing without a tracker";

    connectTracker();
    window->logPane()->clear();
    QTest::keyClick(command, Qt::Key_Return);
    EXPECT_EQ(sent().last(), QStringLiteral("NUMBER=?;"));
    EXPECT_TRUE(window->logPane()->toPlainText().endsWith(QStringLiteral("\nNUMBER=?;\nNUMBER=5001600;")))
        << window->logPane()->toPlainText().toStdString();
    EXPECT_EQ(command->text(), QStringLiteral("NUMBER=?;")) << "the field keeps its text";

    command->clear();
    QTest::keyClicks(command, QStringLiteral("VERSION=?;"));
    QTest::mouseClick(control<QPushButton>("btSkip"), Qt::LeftButton);
    EXPECT_EQ(sent().last(), QStringLiteral("VERSION=?;"));
    QTest::keyClick(command, Qt::Key_Up);
    QTest::keyClick(command, Qt::Key_Up);
    EXPECT_EQ(command->text(), QStringLiteral("NUMBER=?;"));
    QTest::keyClick(command, Qt::Key_Down);
    EXPECT_EQ(command->text(), QStringLiteral("VERSION=?;"));
}

TEST_F(ShellWindowTest, LogWindowShowsTheTrackersDebugTextAndRestartsWhenReopened)
{
    create({QStringLiteral("cmd")}).show();
    connectTracker({QStringLiteral("[settings]"), QStringLiteral("DEBUGINFO=1")});
    if (!QDir(TrackerHome::instance().path()).exists(QStringLiteral("ports")))
        GTEST_SKIP() << "no pseudo-terminals here";
    window->configurator().cdcLog().setPollInterval(5);
    TForm2 *log = window->logWindow();
    auto *text = log->findChild<QPlainTextEdit *>(QStringLiteral("mCDCLog"));
    auto *openLog = control<QPushButton>("btOpenLog");

    QTest::mouseClick(openLog, Qt::LeftButton);
    ASSERT_TRUE(log->isVisible());
    EXPECT_EQ(log->frameGeometry().left(), window->frameGeometry().left() + window->frameGeometry().width() + 10);
    EXPECT_EQ(log->frameGeometry().top(), window->frameGeometry().top());
    EXPECT_TRUE(window->configurator().flags().testFlag(LinkFlag::LogPortOpen));

    window->configurator().console().send(QStringLiteral("NUMBER=?;"));
    EXPECT_TRUE(waitFor([&] { return text->toPlainText().contains(u"USB: NUMBER=?; -> NUMBER=5001600;"); }))
        << text->toPlainText().toStdString();
    // Another press while the log is open changes nothing; neither does "Остановить".
    QTest::mouseClick(openLog, Qt::LeftButton);
    QTest::mouseClick(log->startStopButton(), Qt::LeftButton);
    EXPECT_EQ(window->configurator().cdcLog().readersStarted(), 1);
    EXPECT_TRUE(window->configurator().cdcLog().isReading());

    log->close();
    EXPECT_FALSE(log->isVisible());
    EXPECT_TRUE(text->toPlainText().isEmpty());
    EXPECT_FALSE(window->configurator().cdcLog().isReading());
    EXPECT_FALSE(window->configurator().flags().testFlag(LinkFlag::LogPortOpen));

    QTest::mouseClick(openLog, Qt::LeftButton);
    ASSERT_TRUE(log->isVisible());
    EXPECT_EQ(window->configurator().cdcLog().readersStarted(), 2);
    window->configurator().console().send(QStringLiteral("VERSION=?;"));
    EXPECT_TRUE(waitFor([&] { return text->toPlainText().contains(u"USB: VERSION=?; -> VERSION=KVMT-1.44;"); }));
    EXPECT_FALSE(text->toPlainText().contains(u"NUMBER")) << "a fresh reader, an empty text";

    // A lost tracker stops the reader and leaves the window as it is.
    TrackerHome::instance().unplugAll();
    window->configurator().monitor().devtimerTimer();
    EXPECT_FALSE(window->configurator().cdcLog().isReading());
    EXPECT_TRUE(log->isVisible());
    EXPECT_FALSE(text->toPlainText().isEmpty());
    EXPECT_FALSE(openLog->isEnabled());
}

TEST_F(ShellWindowTest, ADebugPortThisUserMayNotOpenIsExplainedOnceInTheEventLog)
{
    create({QStringLiteral("cmd")}).show();
    connectTracker();
    const QList<SerialPortEntry> ports = announcedLogPorts(TrackerHome::instance().path());
    if (ports.isEmpty())
        GTEST_SKIP() << "no pseudo-terminals here";
    // The tests run as whoever they run as; the refusal is the opener's.
    window->configurator().cdcLog().setPortOpener(
        [](const QString &) -> OpenedPort { return PortOpenError::PermissionDenied; });
    auto *openLog = control<QPushButton>("btOpenLog");

    for (int press = 0; press < 3; ++press)
        QTest::mouseClick(openLog, Qt::LeftButton);

    EXPECT_FALSE(window->logWindow()->isVisible());
    const QString events = window->logPane()->toPlainText();
    EXPECT_EQ(events.count(ports.front().location), 1) << events.toStdString();
    EXPECT_EQ(events.count(QStringLiteral("sudo adduser $USER ")), 1) << events.toStdString();
}
