// Protects the CDC log window's frame: a fixed size that holds its text
// and its button.
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "ui/TForm2.h"

namespace kvmt {
namespace {

TEST(CdcLogWindow, FixedFrameWithReadOnlyTextAndButton)
{
    TForm2 window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CDC Log"));
    EXPECT_EQ(window.minimumSize(), QSize(645, 404));
    EXPECT_EQ(window.maximumSize(), QSize(645, 404));

    auto *text = window.findChild<QPlainTextEdit *>(QStringLiteral("mCDCLog"));
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_TRUE(text->toPlainText().isEmpty());
    EXPECT_EQ(text->geometry(), QRect(0, 0, 645, 345));

    auto *button = window.findChild<QPushButton *>(QStringLiteral("btLogStartStop"));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->text(), QStringLiteral("Остановить"));
    EXPECT_EQ(button->geometry(), QRect(20, 363, 75, 25));
    // The button stands clear below the text, inside the window.
    EXPECT_GT(button->y(), text->geometry().bottom());
    EXPECT_TRUE(window.rect().contains(button->geometry()));
}

} // namespace
} // namespace kvmt
