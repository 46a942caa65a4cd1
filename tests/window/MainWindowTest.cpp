// Protects the main window's frame, its binding to a live session, and
// what it shows of the changes Save would send.
#include "ui/TForm1.h"

#include "provision/Provisioning.h"
#include "ui/PendingChangesView.h"

#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
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

namespace {

// The field is marked: a bold caption beside it tells the same as its tooltip.
bool captionBold(TForm1 &window, const char *field)
{
    const QWidget *edit = window.findChild<QWidget *>(QString::fromLatin1(field));
    const QList<QLabel *> labels = edit->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    return !edit->toolTip().isEmpty() && std::any_of(labels.begin(), labels.end(), [edit](const QLabel *label) {
        return label->font().bold() && label->toolTip() == edit->toolTip();
    });
}

// The keys with a field that carries a mark.
QList<Key> keysMarked(TForm1 &window)
{
    QList<Key> keys;
    for (int k = 0; k < int(Key::Count); ++k) {
        const QList<Field> fields = KeyTable::fields(Key(k));
        if (std::any_of(fields.begin(), fields.end(), [&window](Field field) {
                const QWidget *widget = window.findChild<QWidget *>(DeviceSettings::name(field));
                return widget && !widget->toolTip().isEmpty();
            }))
            keys.append(Key(k));
    }
    return keys;
}

// "KEY\ttracker\tnew" per row of the "Changes" list.
QStringList changesListed(TForm1 &window)
{
    window.findChild<QAction *>(QStringLiteral("ChangesItem"))->trigger();
    auto *dialog = window.findChild<ChangesDialog *>();
    QStringList rows;
    for (int r = 0; dialog && r < dialog->table()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 3; ++c)
            cells.append(dialog->table()->item(r, c)->text());
        // The computer's clock is "now": only whether SETTIME is listed counts.
        rows.append(cells.first() == QLatin1String("SETTIME") ? cells.first() : cells.join(u'\t'));
    }
    delete dialog;
    return rows;
}

} // namespace

TEST_F(MainWindowTest, MarksAndTheChangesListShowWhatSaveWouldSend)
{
    TrackerHome::instance().plug(scenario(QStringLiteral("5001250"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("[settings]"), QStringLiteral("GSMAPN=fleet.apn"),
                                           QStringLiteral("SERVERPORT=4321")}));
    window.show();
    window.configurator().monitor().devtimerTimer();
    const QStringList untouched = changesListed(window);
    auto *apn = window.findChild<QLineEdit *>(QStringLiteral("edAPN"));
    auto *port = window.findChild<QLineEdit *>(QStringLiteral("edServerPort"));
    QTest::keyClicks(apn, QStringLiteral("x"));
    QTest::keyClicks(port, QStringLiteral("9"));
    QApplication::processEvents();
    EXPECT_TRUE(captionBold(window, "edAPN") && captionBold(window, "edServerPort"));
    EXPECT_FALSE(captionBold(window, "edAPNPass"));
    EXPECT_EQ(apn->toolTip(), QStringLiteral("В трекере: fleet.apn"));
    // Hidden, a field keeps the tracker's value out of its tooltip too.
    window.configurator().settings().setMasked(F::edAPN, true);
    EXPECT_FALSE(apn->toolTip().contains(QStringLiteral("fleet.apn")));
    EXPECT_TRUE(captionBold(window, "edAPN"));
    window.configurator().settings().setMasked(F::edAPN, false);
    EXPECT_EQ(changesListed(window), QStringList({QStringLiteral("GSMAPN\tfleet.apn\tfleet.apnx"),
                                                  QStringLiteral("SERVERPORT\t4321\t43219")})
                                         + untouched);
    // Edited back to the tracker's value: no longer a change.
    QTest::keyClick(port, Qt::Key_Backspace);
    QApplication::processEvents();
    EXPECT_FALSE(captionBold(window, "edServerPort"));
    EXPECT_TRUE(port->toolTip().isEmpty());

    // A file loaded now: the marks and the list are what diff says of it.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("van.atc"));
    ASSERT_TRUE(window.configurator().profileFile().saveAs(file));
    QFile profile(file);
    ASSERT_TRUE(profile.open(QIODevice::ReadWrite));
    QByteArray text = profile.readAll();
    text.replace("DEVNAME=", "DEVNAME=VAN7").replace("GSMAPN=fleet.apnx;", "GSMAPN=other.apn;");
    profile.resize(0);
    profile.write(text);
    profile.close();
    ASSERT_EQ(window.configurator().profileFile().load(file), ProfileFile::LoadOutcome::Read);
    QApplication::processEvents();
    EXPECT_TRUE(captionBold(window, "edAPN") && captionBold(window, "edDevName"));
    EXPECT_FALSE(captionBold(window, "edServerPort"));

    RecordingEventLog log;
    ScriptedPrompts diffPrompts;
    Configurator diffSession(log, diffPrompts, {QStringLiteral(KVMT_TEST_BIN_DIR)});
    diffSession.monitor().devtimerTimer();
    const std::optional<QList<KeyDifference>> diff = differencesToFile(diffSession, file);
    ASSERT_TRUE(diff);
    QStringList expected;
    QList<Key> expectedMarked;
    for (const KeyDifference &d : *diff) {
        if (d.key != Key::SETTIME)
            expectedMarked.append(d.key);
        expected.append(d.key == Key::SETTIME ? QStringLiteral("SETTIME")
                                              : QStringLiteral("%1\t%2\t%3").arg(QLatin1String(KeyTable::name(d.key)),
                                                                                displayValue(d.key, d.held),
                                                                                displayValue(d.key, d.written)));
    }
    EXPECT_EQ(changesListed(window), expected);
    EXPECT_EQ(expected.size(), 2 + untouched.size());
    // SETTIME is listed for the computer's zone whether or not a field of it
    // changed; a mark of it needs the listing.
    QList<Key> marked = keysMarked(window);
    EXPECT_TRUE(marked.removeAll(Key::SETTIME) == 0 || expected.contains(QStringLiteral("SETTIME")));
    EXPECT_EQ(marked, expectedMarked);
}
