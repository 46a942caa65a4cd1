// Protects what typing, pasting and the keyboard's editing keys do in the
// filtered edits of the real window.
#include "ui/KeyFilterInstaller.h"

#include "../gui/WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class KeyFilterTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        model().setIndex(F::cbProfile, 5);
        // In the free layout the fields follow their group's switch.
        model().setChecked(F::cbSentSMS, true);
        model().setChecked(F::cbOnlyGPSEn, true);
    }

    // The edit on the front page, empty and with the focus.
    QLineEdit *edit(const char *name)
    {
        auto *e = control<QLineEdit>(name);
        EXPECT_NE(e, nullptr) << name;
        if (!e)
            return nullptr;
        showPage(e);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        return e;
    }
};

} // namespace

TEST_F(KeyFilterTest, RefusedCharactersAreDroppedBeforeTheFieldOrItsRuleSeesThem)
{
    QLineEdit *hours = edit("edSMSHour");
    ASSERT_TRUE(hours);
    QTest::keyClicks(hours, QStringLiteral("1a 2.-"));
    QTest::sendKeyEvent(QTest::Click, hours, Qt::Key_unknown, QStringLiteral("ж"), Qt::NoModifier);
    QTest::keyClick(hours, Qt::Key_Return);
    EXPECT_EQ(hours->text(), QStringLiteral("12"));
    EXPECT_EQ(model().text(F::edSMSHour), QStringLiteral("12"));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(KeyFilterTest, TypedDigitsRunTheFieldsRuleAsTheyArrive)
{
    QLineEdit *hours = edit("edSMSHour");
    ASSERT_TRUE(hours);
    QTest::keyClick(hours, Qt::Key_7);
    QTest::keyClick(hours, Qt::Key_0);
    EXPECT_EQ(hours->text(), QStringLiteral("70"));
    QTest::keyClick(hours, Qt::Key_0);
    EXPECT_EQ(hours->text(), QStringLiteral("648"));
}

TEST_F(KeyFilterTest, ExtraCharactersMayStandAnywhereAndRepeat)
{
    QLineEdit *number = edit("edSMSNumber1");
    ASSERT_TRUE(number);
    QTest::keyClicks(number, QStringLiteral("+7+9++x"));
    EXPECT_EQ(number->text(), QStringLiteral("+7+9++"));

    QLineEdit *latitude = edit("edLat");
    ASSERT_TRUE(latitude);
    QTest::keyClicks(latitude, QStringLiteral("-5.5-.,"));
    EXPECT_EQ(latitude->text(), QStringLiteral("-5.5-."));

    QLineEdit *zone = edit("edTimeZone");
    ASSERT_TRUE(zone);
    QTest::keyClicks(zone, QStringLiteral("5-"));
    EXPECT_EQ(zone->text(), QStringLiteral("5-"));

    QLineEdit *apn = edit("edAPN");
    ASSERT_TRUE(apn);
    QTest::keyClicks(apn, QStringLiteral("internet.ru"));
    EXPECT_EQ(apn->text(), QStringLiteral("internet.ru"));
}

TEST_F(KeyFilterTest, CopyPasteAndKeysThatTypeNothingPassButCutSelectAllAndUndoDoNot)
{
    QLineEdit *radius = edit("edRadius");
    ASSERT_TRUE(radius);
    QTest::keyClicks(radius, QStringLiteral("1234"));

    radius->selectAll();
    QTest::keyClick(radius, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(radius->text(), QStringLiteral("1234"));
    QTest::keyClick(radius, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("1234"));

    radius->deselect();
    radius->setCursorPosition(4);
    QTest::keyClick(radius, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(radius->hasSelectedText());
    QTest::keyClick(radius, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(radius->text(), QStringLiteral("1234"));

    QTest::keyClick(radius, Qt::Key_Home);
    QTest::keyClick(radius, Qt::Key_Delete);
    QTest::keyClick(radius, Qt::Key_End);
    QTest::keyClick(radius, Qt::Key_Backspace);
    EXPECT_EQ(radius->text(), QStringLiteral("23"));
    QTest::keyClick(radius, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(radius->text(), QStringLiteral("231234"));
    EXPECT_EQ(model().text(F::edRadius), QStringLiteral("231234"));
}

TEST_F(KeyFilterTest, PastedLettersAreNotFilteredAndReachTheRuleAsNoNumber)
{
    QLineEdit *hours = edit("edGPSHour");
    ASSERT_TRUE(hours);
    QApplication::clipboard()->setText(QStringLiteral("12ab"));
    QTest::keyClick(hours, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(hours->text(), QStringLiteral("12ab"));
    EXPECT_EQ(model().text(F::edGPSHour), QStringLiteral("12ab"));
    ASSERT_EQ(prompts.messages.size(), 1);

    // The context menu's paste takes the same way.
    QLineEdit *zone = edit("edTimeZone");
    ASSERT_TRUE(zone);
    QApplication::clipboard()->setText(QStringLiteral("-15"));
    zone->paste();
    EXPECT_EQ(zone->text(), QStringLiteral("-12"));
}

TEST_F(KeyFilterTest, ASemicolonNeverEntersAValueTypedOrPasted)
{
    QLineEdit *password = edit("edAPNPass");
    ASSERT_TRUE(password);
    QTest::keyClicks(password, QStringLiteral("pa;ss"));
    EXPECT_EQ(password->text(), QStringLiteral("pass"));
    EXPECT_TRUE(prompts.messages.isEmpty()) << "dropped like any filtered key";

    // Pasted whole: refused, the field keeps its value and is named.
    QApplication::clipboard()->setText(QStringLiteral("x;y"));
    QTest::keyClick(password, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(password->text(), QStringLiteral("pass"));
    EXPECT_EQ(model().text(F::edAPNPass), QStringLiteral("pass"));
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("Значение поля «Пароль APN» не может содержать символ «;»")});

    // The console's command line is the protocol itself.
    QLineEdit *command = edit("edCmd");
    ASSERT_TRUE(command);
    QTest::keyClicks(command, QStringLiteral("NUMBER=?;"));
    EXPECT_EQ(command->text(), QStringLiteral("NUMBER=?;"));
}

TEST_F(KeyFilterTest, InputMethodCommitsAreFilteredLikeKeys)
{
    QLineEdit *minutes = edit("edSMSMin");
    ASSERT_TRUE(minutes);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("4x5"));
    QApplication::sendEvent(minutes, &commit);
    EXPECT_EQ(minutes->text(), QStringLiteral("45"));
}

TEST(KeyFilterKeys, ControlLettersTypeTheirControlCharacterWhateverTextThePlatformGives)
{
    const QKeyEvent withText(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("v"));
    const QKeyEvent withCode(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QString(QChar(22)));
    const QKeyEvent bare(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    for (const QKeyEvent *event : {&withText, &withCode, &bare})
        EXPECT_EQ(KeyFilterInstaller::typedChar(*event), QChar(22));
    const QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(127)));
    const QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    const QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    for (const QKeyEvent *event : {&del, &left, &tab})
        EXPECT_EQ(KeyFilterInstaller::typedChar(*event), std::nullopt);
}
