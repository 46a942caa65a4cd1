// Protects the progress bar of the button row: hidden while nothing runs,
// drawn on the screen key by key while a read or a write runs in the GUI
// thread, hidden again at the end, and placed where it covers no control.
#include "ui/TForm1.h"

#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QImage>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <vector>

using namespace kvmt;
using namespace kvmt::test;

namespace {

struct Sample {
    bool visible;
    int value;
    int maximum;
};

class ProgressBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TrackerHome::instance().reset();
        bar = window.findChild<QProgressBar *>(QStringLiteral("pbProgress"));
        ASSERT_NE(bar, nullptr);
        window.show();
        QApplication::processEvents();
        // Every step the bar takes, as it is at that moment.
        QObject::connect(bar, &QProgressBar::valueChanged, bar, [this](int value) {
            samples.push_back({bar->isVisible(), value, bar->maximum()});
        });
    }

    // What the screen shows of the bar right now: the window's backing
    // store, not a fresh rendering, so only what was really painted counts.
    QImage barOnScreen() const
    {
        const QPixmap shot = window.screen()->grabWindow(window.winId());
        const QPoint topLeft = bar->mapTo(&window, QPoint(0, 0));
        return shot.toImage().copy(QRect(topLeft, bar->size()));
    }

    void connectTracker()
    {
        TrackerHome::instance().plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44")));
        window.configurator().monitor().devtimerTimer();
    }

    ScriptedPrompts prompts;
    TForm1 window{{{QStringLiteral(KVMT_TEST_BIN_DIR)}, &prompts, false}};
    QProgressBar *bar = nullptr;
    std::vector<Sample> samples;
};

// The advances of one run: values 1, 2, ... up to the run's maximum.
void expectOneRunKeyByKey(const std::vector<Sample> &samples, size_t first, size_t end)
{
    int expected = 1;
    for (size_t i = first; i < end; ++i) {
        EXPECT_TRUE(samples[i].visible) << "step " << i;
        EXPECT_EQ(samples[i].value, expected) << "step " << i;
        ++expected;
    }
    ASSERT_LT(first, end);
    EXPECT_EQ(samples[end - 1].value, samples[end - 1].maximum);
}

} // namespace

TEST_F(ProgressBarTest, HiddenWhenIdleFollowsAReadKeyByKeyAndHidesAfter)
{
    EXPECT_FALSE(bar->isVisible());

    QImage halfway;
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int value) {
        if (!halfway.isNull() || value == 0 || value != bar->maximum() / 2)
            return;
        halfway = barOnScreen();
        // KVMT_PROGRESS_SHOT=file.png keeps the whole window as it looked.
        const QString shotFile = qEnvironmentVariable("KVMT_PROGRESS_SHOT");
        if (!shotFile.isEmpty())
            window.screen()->grabWindow(window.winId()).save(shotFile);
    });
    connectTracker();

    ASSERT_TRUE(window.configurator().isConnected());
    EXPECT_FALSE(bar->isVisible());
    // valueChanged(0) at the start of the run is left out of the steps.
    std::vector<Sample> steps;
    for (const Sample &s : samples)
        if (s.value > 0)
            steps.push_back(s);
    ASSERT_GE(steps.size(), 40u) << "a full read of a KVMT-1.44 tracker";
    expectOneRunKeyByKey(steps, 0, steps.size());
    EXPECT_EQ(steps.back().maximum, 53) << "every key of the read order";

    // Halfway through, the screen showed a bar half filled: its left part in
    // the highlight's hue (the style shades it), its right part colourless.
    ASSERT_FALSE(halfway.isNull());
    const QColor highlight = bar->palette().color(QPalette::Highlight);
    const int y = halfway.height() / 2;
    const QColor filled = halfway.pixelColor(halfway.width() / 4, y);
    const QColor empty = halfway.pixelColor(halfway.width() * 3 / 4, y);
    EXPECT_NEAR(filled.hslHue(), highlight.hslHue(), 10) << qPrintable(filled.name());
    EXPECT_GT(filled.hslSaturation(), 80) << qPrintable(filled.name());
    EXPECT_LT(empty.hslSaturation(), 40) << qPrintable(empty.name());
}

TEST_F(ProgressBarTest, SaveShowsTheWriteThenTheReadBackAndEndsHidden)
{
    connectTracker();
    ASSERT_TRUE(window.configurator().isConnected());
    samples.clear();

    auto *save = window.findChild<QPushButton *>(QStringLiteral("btSave"));
    ASSERT_NE(save, nullptr);
    save->click();

    EXPECT_FALSE(bar->isVisible());
    // Two runs: the write (its keys and SAVECONFIG), then the read back.
    std::vector<size_t> starts;
    for (size_t i = 0; i < samples.size(); ++i)
        if (samples[i].value == 1)
            starts.push_back(i);
    ASSERT_EQ(starts.size(), 2u);
    expectOneRunKeyByKey(samples, starts[0], starts[1] - (samples[starts[1] - 1].value == 0 ? 1 : 0));
    expectOneRunKeyByKey(samples, starts[1], samples.size());
}

// One of the few tests that wait: a tracker that stops answering after its
// read, with a short time-out, while the window waits on a worker thread.
TEST_F(ProgressBarTest, AHungTrackerLeavesTheWindowPaintingAndEscStopsTheSave)
{
    QTemporaryDir exeDir;
    TForm1::Options options{{QStringLiteral(KVMT_TEST_BIN_DIR)}, &prompts, false};
    options.turnWhileWaiting = true;
    options.exeDir = exeDir.path();
    TForm1 turning(options);
    turning.show();
    TrackerHome::instance().plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("silence_waits=1"), QStringLiteral("answer_limit=56")}));
    turning.configurator().monitor().devtimerTimer();
    ASSERT_TRUE(turning.configurator().isConnected());
    turning.configurator().link().setTimeouts(60, 60);
    auto *stop = turning.findChild<QPushButton *>(QStringLiteral("btStop"));
    auto *sms = turning.findChild<QCheckBox *>(QStringLiteral("cbSentSMS"));
    ASSERT_TRUE(stop && sms);
    const bool smsBefore = turning.configurator().settings().isChecked(F::cbSentSMS);

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);
    bool stopShown = false;
    QTimer::singleShot(150, [&] {
        stopShown = stop->isVisible();
        QTest::mouseClick(sms, Qt::LeftButton); // held back: nothing changes under a write
        QTest::keyClick(&turning, Qt::Key_Escape);
    });
    turning.findChild<QPushButton *>(QStringLiteral("btSave"))->click();
    ticker.stop();

    EXPECT_GT(ticks, 5) << "the window's loop turned while the tracker was waited for";
    EXPECT_TRUE(stopShown);
    EXPECT_FALSE(stop->isVisible());
    EXPECT_EQ(turning.configurator().settings().isChecked(F::cbSentSMS), smsBefore);
    const QStringList sent = TrackerHome::instance().commands(QStringLiteral("5001500"));
    EXPECT_FALSE(sent.contains(QStringLiteral("SAVECONFIG=1;")));
    EXPECT_LT(sent.size(), 56 + 20) << "stopped long before the write's end";
    EXPECT_FALSE(QFile::exists(turning.configurator().writer().autoCopyPath()));
    // The keys it did send are active in the tracker, unsaved: the line says
    // what to do about them.
    EXPECT_TRUE(turning.logPane()->toPlainText().contains(QStringLiteral("Запись остановлена: настроек отправлено, но не сохранено: ")));
    EXPECT_TRUE(turning.logPane()->toPlainText().contains(QStringLiteral("Нажмите «Сохранить» ещё раз или отключите трекер")));

    // Closed in the middle of a Save: it stops first, then closes as usual.
    QTimer::singleShot(150, [&turning] { turning.close(); });
    turning.configurator().stop().clear();
    turning.configurator().btSaveClick();
    EXPECT_TRUE(turning.isVisible()) << "not closed under the Save";
    EXPECT_TRUE(QTest::qWaitFor([&turning] { return !turning.isVisible(); }, 1000));
    const QStringList after = TrackerHome::instance().commands(QStringLiteral("5001500"));
    EXPECT_FALSE(after.contains(QStringLiteral("SAVECONFIG=1;")));
    EXPECT_EQ(after.last(), QStringLiteral("CONFCLOSE=1;"));
}

TEST_F(ProgressBarTest, SitsInTheButtonRowWithoutCoveringItsControls)
{
    const QRect place = bar->geometry();
    EXPECT_EQ(bar->parentWidget(), window.centralWidget());
    EXPECT_GE(place.top(), 462);
    EXPECT_LE(place.bottom(), 487);
    EXPECT_LE(place.right(), window.centralWidget()->width());
    // btOpenLog counts although hidden: the service parameter shows it.
    for (const char *name : {"cbReadSetup", "btOpenLog", "btSave", "btStop"}) {
        auto *control = window.findChild<QWidget *>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        EXPECT_FALSE(place.intersects(control->geometry())) << name;
    }
    EXPECT_FALSE(place.intersects(window.logPane()->geometry()));
}
