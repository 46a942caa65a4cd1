// Protects the on-line time arrows: they step from what the edit shows,
// stay within their range and reach the model as the user's own edit.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "WindowFixture.h"
#include "ui/pages/UpDown.h"

namespace kvmt::test {
namespace {

class UpDownTest : public ::testing::Test
{
protected:
    QLineEdit edit;
    UpDown arrows{&edit, 0, 10};
    QSignalSpy edited{&edit, &QLineEdit::textEdited};
};

TEST_F(UpDownTest, StepsFromTheNumberShown)
{
    edit.setText(QStringLiteral("4"));
    arrows.stepUp();
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
    edit.setText(QStringLiteral("9"));
    arrows.stepDown();
    EXPECT_EQ(edit.text(), QStringLiteral("8"));
    EXPECT_EQ(edited.count(), 2);
}

TEST_F(UpDownTest, StopsAtTheEndsWithoutTouchingTheText)
{
    edit.setText(QStringLiteral("10"));
    arrows.stepUp();
    edit.setText(QStringLiteral("0"));
    arrows.stepDown();
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
    EXPECT_EQ(edited.count(), 0);
}

TEST_F(UpDownTest, TextOutsideTheRangeStepsFromTheLastPosition)
{
    edit.setText(QStringLiteral("6"));
    arrows.stepUp(); // 7
    for (const QString &shown : {QStringLiteral("abc"), QStringLiteral("25"), QString()}) {
        SCOPED_TRACE(shown.toStdString());
        edit.setText(shown);
        arrows.stepUp();
        EXPECT_EQ(edit.text(), QString::number(arrows.position()));
    }
    EXPECT_EQ(arrows.position(), 10);
}

TEST_F(UpDownTest, ArrowKeysInTheEditStep)
{
    edit.setText(QStringLiteral("3"));
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), QStringLiteral("4"));
}

TEST_F(WindowTest, OnLineArrowsWriteIntoTheModel)
{
    auto *arrows = control<UpDown>("udOnLineTime");
    ASSERT_TRUE(arrows);
    EXPECT_EQ(arrows->buddy(), control<QLineEdit>("edOnLineTime"));
    EXPECT_EQ(arrows->maximum(), 10);
    showPage(arrows);
    const QList<QToolButton *> buttons = arrows->findChildren<QToolButton *>();
    ASSERT_EQ(buttons.size(), 2);
    QToolButton *up = buttons[0]->arrowType() == Qt::UpArrow ? buttons[0] : buttons[1];
    const int before = model().text(F::edOnLineTime).toInt();
    QTest::mouseClick(up, Qt::LeftButton);
    // The field's own rule may raise the value further; it never stays put.
    EXPECT_GT(model().text(F::edOnLineTime).toInt(), before);
    EXPECT_EQ(control<QLineEdit>("edOnLineTime")->text(), model().text(F::edOnLineTime));
}

} // namespace
} // namespace kvmt::test
