// Protects the main window's frame and its binding to a live session.
#include "ui/TForm1.h"

#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { TrackerHome::instance().reset(); }

    ScriptedPrompts prompts;
    TForm1 window{{{QStringLiteral(KVMT_TEST_BIN_DIR)}, &prompts, false}};
};

} // namespace

TEST_F(MainWindowTest, FrameKeepsItsWidthAndHeightLimits)
{
    EXPECT_EQ(window.minimumWidth(), 723);
    EXPECT_EQ(window.maximumWidth(), 723);
    EXPECT_EQ(window.minimumHeight(), 665);
    EXPECT_EQ(window.maximumHeight(), 755);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

TEST_F(MainWindowTest, OnlyTheLogPaneFollowsTheHeight)
{
    window.show();
    QWidget *pages = window.findChild<QWidget *>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    const QRect pagesBefore = pages->geometry();
    window.resize(723, 755);
    QApplication::processEvents();
    const int tall = window.logPane()->height();
    window.resize(723, 665);
    QApplication::processEvents();
    const int low = window.logPane()->height();
    EXPECT_LT(low, tall);
    EXPECT_GE(low, 124);
    EXPECT_LE(tall, 205);
    EXPECT_EQ(window.logPane()->width(), 706);
    EXPECT_EQ(pages->geometry(), pagesBefore);
}

TEST_F(MainWindowTest, StartsWithDesignStateAndShowsATrackerOnceConnected)
{
    auto *save = window.findChild<QPushButton *>(QStringLiteral("btSave"));
    auto *openLog = window.findChild<QPushButton *>(QStringLiteral("btOpenLog"));
    auto *serial = window.findChild<QLabel *>(QStringLiteral("pSerial"));
    ASSERT_TRUE(save && openLog && serial);
    EXPECT_FALSE(save->isEnabled());
    EXPECT_TRUE(openLog->isHidden());
    EXPECT_EQ(serial->text(), QStringLiteral("--------"));

    TrackerHome::instance().plug(scenario(QStringLiteral("5001234"), QStringLiteral("KVMT-1.44")));
    window.configurator().monitor().devtimerTimer();
    EXPECT_EQ(serial->text(), QStringLiteral("5001234"));
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(window.logPane()->toPlainText().startsWith(QStringLiteral("Чтение параметров")));

    TrackerHome::instance().unplugAll();
    window.configurator().monitor().devtimerTimer();
    EXPECT_EQ(serial->text(), QStringLiteral("---------"));
    EXPECT_FALSE(save->isEnabled());
    EXPECT_TRUE(window.logPane()->toPlainText().isEmpty());
}
