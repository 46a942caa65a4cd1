// Protects Stop and the one-sequence rule of the waiting window, as a person
// meets them: a mouse click on Stop during a read, Esc during the protection
// query, and buttons pressed behind the input guard's back while a sequence
// waits. Tests of waiting: virtual trackers that answer late or not at all,
// with short time-outs where the sequence allows them.
#include "ui/TForm1.h"

#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include <QApplication>
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace kvmt;
using namespace kvmt::test;

namespace {

const QString kSerial = QStringLiteral("5001500");

class StopTest : public ::testing::Test
{
protected:
    StopTest()
    {
        TrackerHome::instance().reset();
        TForm1::Options options{{QStringLiteral(KVMT_TEST_BIN_DIR)}, &prompts, false};
        options.turnWhileWaiting = true;
        options.exeDir = exeDir.path();
        window = std::make_unique<TForm1>(options);
        window->show();
        QApplication::processEvents();
        stop = window->findChild<QPushButton *>(QStringLiteral("btStop"));
    }

    QStringList sent(const QString &serial = kSerial) const { return TrackerHome::instance().commands(serial); }
    // Runs `act` once, from the window's turning loop, when the tracker's
    // trace first satisfies `when`.
    void once(std::function<bool(const QStringList &)> when, std::function<void()> act)
    {
        watcher.setInterval(5);
        QObject::connect(&watcher, &QTimer::timeout, [this, when = std::move(when), act = std::move(act)] {
            if (!when(sent()))
                return;
            watcher.stop();
            act();
        });
        watcher.start();
    }
    QString log() const { return window->logPane()->toPlainText(); }
    // As the system delivers a click: to the top-level window, at Stop's
    // place, for Qt to hand on to the widget under it.
    void clickStop() { clickThroughWindow(stop); }
    // A communication test's button, on its page, shown as a person finds it.
    QPushButton *showTestButton(const char *name)
    {
        auto *button = window->findChild<QPushButton *>(QString::fromLatin1(name));
        window->findChild<QTabWidget *>(QStringLiteral("PageControl1"))
            ->setCurrentWidget(window->findChild<QWidget *>(QStringLiteral("TabSheet8")));
        window->findChild<QTabWidget *>(QStringLiteral("pcSetup"))->setCurrentWidget(button->parentWidget());
        QApplication::processEvents();
        return button;
    }
    void clickThroughWindow(QWidget *widget)
    {
        const QPoint centre = widget->mapTo(window.get(), widget->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, centre);
    }

    QTemporaryDir exeDir;
    ScriptedPrompts prompts;
    std::unique_ptr<TForm1> window;
    QPushButton *stop = nullptr;
    QTimer watcher;
};

} // namespace

// The press and the release reach Stop through the window, as a real click
// does: the read ends after the exchange in progress.
TEST_F(StopTest, AMouseClickOnStopEndsAReadFromATrackerThatStoppedAnswering)
{
    TrackerHome::instance().plug(
        scenario(kSerial, QStringLiteral("KVMT-1.44"), {QStringLiteral("silence_waits=1"), QStringLiteral("answer_limit=12")}));
    qsizetype atClick = -1;
    bool shown = false;
    once([](const QStringList &commands) { return commands.size() > 13; },
         [&] {
             shown = stop->isVisible();
             atClick = sent().size();
             clickStop();
         });
    window->configurator().monitor().devtimerTimer();

    ASSERT_GT(atClick, 0) << "the click came during the read";
    EXPECT_TRUE(shown);
    EXPECT_LE(sent().size(), atClick + 1) << "nothing after the exchange in progress";
    EXPECT_TRUE(log().contains(QStringLiteral("Чтение остановлено: не считано настроек: ")));
    EXPECT_FALSE(stop->isVisible());
}

// Stopped while the tracker is asked about its protection: no password
// dialog, no password sent, one red line, and no Save of fields that hold
// nothing of this tracker.
TEST_F(StopTest, EscDuringTheProtectionQueryAsksNoPasswordAndSendsNothingMore)
{
    TrackerHome::instance().plug(scenario(kSerial, QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("protected=1"), QStringLiteral("latency_ms=300")}));
    prompts.password = QByteArray("1234");
    bool shown = false;
    once([](const QStringList &commands) { return commands.value(2) == QStringLiteral("SECURESETUP=?;"); },
         [&] {
             shown = stop->isVisible();
             QTest::keyClick(window.get(), Qt::Key_Escape);
         });
    window->configurator().monitor().devtimerTimer();

    EXPECT_TRUE(shown) << "Stop is offered during identification";
    EXPECT_EQ(prompts.passwordRequests, 0);
    EXPECT_EQ(sent(), (QStringList{QStringLiteral("NUMBER=?;"), QStringLiteral("VERSION=?;"),
                                   QStringLiteral("SECURESETUP=?;")}));
    EXPECT_EQ(log().count(QStringLiteral("Чтение остановлено: настройки не считаны")), 1);
    EXPECT_EQ(window->configurator().monitor().lastIdentification(), ConnectionMonitor::Identification::Stopped);
    EXPECT_FALSE(window->findChild<QPushButton *>(QStringLiteral("btSave"))->isEnabled());
    EXPECT_FALSE(stop->isVisible());
}

// Buttons pressed while a profile change waits for a silent tracker (by an
// accessibility tool: the input guard never sees it) start nothing: the
// tracker gets only the profile change's own queries, and Stop ends it.
TEST_F(StopTest, NoSequenceStartsWhileAnotherWaits)
{
    TrackerHome::instance().plug(
        scenario(kSerial, QStringLiteral("KVMT-1.44"), {QStringLiteral("silence_waits=1"), QStringLiteral("answer_limit=56")}));
    window->configurator().monitor().devtimerTimer();
    ASSERT_TRUE(window->configurator().isConnected());
    ASSERT_EQ(sent().size(), 56);
    window->configurator().link().setTimeouts(60, 60);

    bool refusedAll = false;
    bool shown = false;
    once([](const QStringList &commands) { return commands.size() > 58; },
         [&] {
             shown = stop->isVisible();
             for (const char *name : {"btSave", "btSrvTest", "btTestSMS", "btOnOffPIN"})
                 window->findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
             refusedAll = !window->configurator().btSaveClick() && !window->configurator().tests().btSrvTestClick()
                          && !window->configurator().console().send(QStringLiteral("DEVNAME=X;"));
             clickStop();
         });
    auto *profile = window->findChild<QComboBox *>(QStringLiteral("cbProfile"));
    ASSERT_NE(profile, nullptr);
    emit profile->activated(2);

    EXPECT_TRUE(shown) << "Stop is offered during a profile change";
    EXPECT_TRUE(refusedAll);
    const QStringList after = sent().mid(56);
    ASSERT_FALSE(after.isEmpty());
    EXPECT_EQ(after.first(), QStringLiteral("READPROFILE=2;"));
    for (const QString &command : after.mid(1))
        EXPECT_TRUE(command.endsWith(QStringLiteral("=?;"))) << qPrintable(command);
    EXPECT_FALSE(window->configurator().tests().isAnyPolling());
    EXPECT_FALSE(stop->isVisible());
}

// A read stopped part way leaves the fields it did not reach as they were:
// after a swap, the previous tracker's values. Save must not carry them into
// the new tracker (nor, without a swap, write unread defaults) unasked.
TEST_F(StopTest, SaveAfterAStoppedReadOfASwappedInTrackerWritesNothingOfTheOneBefore)
{
    const QString serialA = QStringLiteral("5001600");
    const QString serialB = QStringLiteral("5001700");
    TrackerHome::instance().plug(scenario(serialA, QStringLiteral("KVMT-1.44"))
                                 + QStringLiteral("[settings]\nDEVNAME=AAAA\nGSMAPN=apn.of.a\n"));
    window->configurator().monitor().devtimerTimer();
    ASSERT_EQ(window->configurator().settings().text(F::edDevName), QStringLiteral("AAAA"));

    TrackerHome::instance().unplug(serialA);
    TrackerHome::instance().plug(scenario(serialB, QStringLiteral("KVMT-1.44"), {QStringLiteral("latency_ms=30")})
                                 + QStringLiteral("[settings]\nDEVNAME=BBBB\nGSMAPN=apn.of.b\n"));
    once([&](const QStringList &) { return sent(serialB).size() > 6; }, [&] { clickStop(); });
    window->configurator().monitor().devtimerTimer();
    ASSERT_TRUE(log().contains(QStringLiteral("Чтение остановлено: не считано настроек: ")));
    ASSERT_FALSE(sent(serialB).contains(QStringLiteral("DEVNAME=?;"))) << "the stop came before DEVNAME was read";

    prompts.answerYes = false;
    const qsizetype before = sent(serialB).size();
    clickThroughWindow(window->findChild<QPushButton *>(QStringLiteral("btSave")));
    QApplication::processEvents();

    const QStringList saved = sent(serialB).mid(before);
    EXPECT_FALSE(saved.contains(QStringLiteral("DEVNAME=AAAA;"))) << qPrintable(saved.join(u' '));
    EXPECT_FALSE(saved.contains(QStringLiteral("GSMAPN=apn.of.a;")));
    EXPECT_FALSE(saved.contains(QStringLiteral("SAVECONFIG=1;")) && prompts.questions.isEmpty())
        << "a window the read did not fill is stored only when the person agreed";
}

// The person forgot the password, closed the dialog and set a new one with
// the master password; the read that follows is stopped half way. The
// fields it did not reach hold nothing of this tracker: Save must not write
// them unasked.
TEST_F(StopTest, SaveAfterAStoppedReadThatFollowedAMasterResetWritesNothingUnread)
{
    TrackerHome::instance().plug(scenario(kSerial, QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("protected=1"), QStringLiteral("latency_ms=30")})
                                 + QStringLiteral("[settings]\nGSMAPN=kept.apn\nDEVNAME=CAR7\n"));
    window->configurator().monitor().devtimerTimer();
    ASSERT_EQ(prompts.passwordRequests, 1) << "the dialog was closed";

    auto *pages = window->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    auto *setup = window->findChild<QTabWidget *>(QStringLiteral("pcSetup"));
    ASSERT_TRUE(pages && setup);
    pages->setCurrentWidget(window->findChild<QWidget *>(QStringLiteral("TabSheet8")));
    setup->setCurrentWidget(window->findChild<QWidget *>(QStringLiteral("TabSheet6")));
    QTest::keyClicks(window->findChild<QLineEdit *>(QStringLiteral("edMasterPass")), QStringLiteral("ABCDEFGHIJKLMNOP"));
    QTest::keyClicks(window->findChild<QLineEdit *>(QStringLiteral("NewPassM")), QStringLiteral("4321"));
    once([](const QStringList &commands) { return commands.contains(QStringLiteral("SERVER=?;")); },
         [&] { clickStop(); });
    clickThroughWindow(window->findChild<QPushButton *>(QStringLiteral("edResetLockMp")));
    ASSERT_TRUE(sent().contains(QStringLiteral("SECURERESET=ABCDEFGHIJKLMNOP,4321;")));
    ASSERT_TRUE(log().contains(QStringLiteral("Чтение остановлено: не считано настроек: ")));
    ASSERT_FALSE(sent().contains(QStringLiteral("DEVNAME=?;")));

    prompts.answerYes = false;
    const qsizetype before = sent().size();
    clickThroughWindow(window->findChild<QPushButton *>(QStringLiteral("btSave")));
    const QStringList saved = sent().mid(before);
    EXPECT_TRUE(saved.filter(QStringLiteral("DEVNAME=")).isEmpty() || !prompts.questions.isEmpty())
        << qPrintable(saved.join(u' '));
    EXPECT_FALSE(saved.contains(QStringLiteral("SAVECONFIG=1;")) && prompts.questions.isEmpty());
}

// Identification of a swapped-in tracker stopped: nothing of it was read, so
// a communication test must not write the previous tracker's server, APN and
// password into it either.
TEST_F(StopTest, ATestAfterAStoppedIdentificationSendsNothingOfTheTrackerBefore)
{
    const QString serialA = QStringLiteral("5001600");
    const QString serialB = QStringLiteral("5001700");
    TrackerHome::instance().plug(scenario(serialA, QStringLiteral("KVMT-1.44"))
                                 + QStringLiteral("[settings]\nSERVER=server.of.a\nSERVERPASS=passofa\n"));
    window->configurator().monitor().devtimerTimer();
    TrackerHome::instance().unplug(serialA);
    TrackerHome::instance().plug(scenario(serialB, QStringLiteral("KVMT-1.44"), {QStringLiteral("latency_ms=30")}));
    once([&](const QStringList &) { return sent(serialB).contains(QStringLiteral("VERSION=?;")); }, [&] { clickStop(); });
    window->configurator().monitor().devtimerTimer();
    ASSERT_EQ(window->configurator().monitor().lastIdentification(), ConnectionMonitor::Identification::Stopped);

    auto *srv = showTestButton("btSrvTest");
    clickThroughWindow(srv);

    const QStringList toB = sent(serialB);
    EXPECT_FALSE(toB.contains(QStringLiteral("SERVER=server.of.a;"))) << qPrintable(toB.join(u' '));
    EXPECT_FALSE(toB.contains(QStringLiteral("SERVERPASS=passofa;")));
}

// A swapped-in tracker whose identification ended without a read (its
// protection query went unanswered once): the window still shows the
// tracker before, so Save must not send those values into this one unasked.
TEST_F(StopTest, SaveAfterAnUnreadSwappedInTrackerWritesNothingOfTheOneBefore)
{
    const QString serialA = QStringLiteral("5001600");
    const QString serialB = QStringLiteral("5001700");
    TrackerHome::instance().plug(scenario(serialA, QStringLiteral("KVMT-1.44"))
                                 + QStringLiteral("[settings]\nDEVNAME=AAAA\n"));
    window->configurator().monitor().devtimerTimer();
    TrackerHome::instance().unplug(serialA);
    TrackerHome::instance().plug(scenario(serialB, QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("fault=silent"), QStringLiteral("fault_at=3")})
                                 + QStringLiteral("[settings]\nDEVNAME=BBBB\n"));
    window->configurator().monitor().devtimerTimer();
    ASSERT_EQ(sent(serialB), (QStringList{QStringLiteral("NUMBER=?;"), QStringLiteral("VERSION=?;"),
                                          QStringLiteral("SECURESETUP=?;")}));

    prompts.answerYes = false;
    clickThroughWindow(window->findChild<QPushButton *>(QStringLiteral("btSave")));
    const QStringList toB = sent(serialB);
    EXPECT_FALSE(toB.contains(QStringLiteral("DEVNAME=AAAA;")) && prompts.questions.isEmpty())
        << qPrintable(toB.join(u' '));
    EXPECT_FALSE(toB.contains(QStringLiteral("SAVECONFIG=1;")) && prompts.questions.isEmpty());
}

// Stop pressed while a test polls, and Save pressed before the next tick:
// the stop was meant for the test, and the test must still end.
TEST_F(StopTest, AStopPressedForAPollingTestIsNotLostToASaveStartedRightAfter)
{
    TrackerHome::instance().plug(scenario(kSerial, QStringLiteral("KVMT-1.44"))
                                 + QStringLiteral("[tests]\nsrv=GSM:OK,GPRS:OK\n"));
    window->configurator().monitor().devtimerTimer();
    auto *srv = showTestButton("btSrvTest");
    clickThroughWindow(srv);
    ASSERT_TRUE(window->configurator().tests().isAnyPolling());
    QTest::qWait(1200);

    clickStop();
    clickThroughWindow(window->findChild<QPushButton *>(QStringLiteral("btSave")));
    QTest::qWait(2500);

    EXPECT_FALSE(window->configurator().tests().isAnyPolling()) << "the test Stop was pressed for polls on";
    EXPECT_TRUE(log().contains(QStringLiteral("Тестирование остановлено")));
}
