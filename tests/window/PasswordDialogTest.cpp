// Protects the password dialog: its frame, the keys it lets through, when it
// may close, and the window's use of it when a protected tracker connects.
#include "ui/TFormPass.h"
#include "ui/TForm1.h"

#include "TrackerFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace kvmt;
using namespace kvmt::test;

namespace {

QLineEdit *passwordEdit(QWidget *dialog)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("edPass"));
}

class PasswordDialogTest : public ::testing::Test
{
protected:
    void showDialog()
    {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        edit = passwordEdit(&dialog);
        ASSERT_TRUE(edit);
    }

    QWidget owner;
    TFormPass dialog{&owner};
    QLineEdit *edit = nullptr;
};

// Runs `answer` on the dialog once the window's modal loop shows it.
void answerWhenShown(std::function<void(TFormPass &)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<TFormPass *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog) << "no password dialog is shown";
        answer(*dialog);
    });
}

} // namespace

TEST_F(PasswordDialogTest, SmallToolWindowWithItsFourControls)
{
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("KVMTConf"));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog.minimumSize(), QSize(124, 147));
    EXPECT_EQ(dialog.maximumSize(), QSize(124, 147));

    auto *prompt = dialog.findChild<QLabel *>(QStringLiteral("Label1"));
    auto *hint = dialog.findChild<QLabel *>(QStringLiteral("Label2"));
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("btEnterPass"));
    QLineEdit *field = passwordEdit(&dialog);
    ASSERT_TRUE(prompt && hint && ok && field);
    EXPECT_EQ(prompt->text(), QStringLiteral("  Введите пароль"));
    EXPECT_EQ(prompt->pos(), QPoint(8, 8));
    EXPECT_EQ(hint->text(), QStringLiteral("4 цифры"));
    EXPECT_EQ(hint->pos(), QPoint(32, 30));
    EXPECT_EQ(field->geometry(), QRect(32, 61, 51, 21));
    EXPECT_EQ(field->maxLength(), 4);
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    EXPECT_EQ(field->font().pixelSize(), 11);
    EXPECT_EQ(dialog.font().pixelSize(), 13);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(ok->geometry(), QRect(32, 103, 51, 25));
    // Every control lies inside the client area.
    for (QWidget *w : {static_cast<QWidget *>(prompt), static_cast<QWidget *>(hint), static_cast<QWidget *>(field),
                       static_cast<QWidget *>(ok)})
        EXPECT_TRUE(dialog.rect().contains(w->geometry())) << w->objectName().toStdString();
}

TEST_F(PasswordDialogTest, ShowingTakesTheWindowsCaptionEmptiesTheFieldAndUsesTheStoredPlace)
{
    owner.setWindowTitle(QStringLiteral("KVMTConf 1.30"));
    dialog.setStoredTopLeft(QPoint(40, 30));
    passwordEdit(&dialog)->setText(QStringLiteral("12"));
    showDialog();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("KVMTConf 1.30"));
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(dialog.pos(), QPoint(40, 30));
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

TEST_F(PasswordDialogTest, OnlyDigitsAndEditingKeysReachTheField)
{
    showDialog();
    QTest::keyClicks(edit, QStringLiteral("1a2 -"));
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("1"));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, QStringLiteral("9"));
    EXPECT_EQ(edit->text(), QStringLiteral("19")) << "Ctrl+A selects nothing to be typed over";
    // Keys that type nothing still move the cursor.
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), QStringLiteral("9"));
    // A paste is not filtered, only typing is.
    QApplication::clipboard()->setText(QStringLiteral("x7"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    if (QApplication::clipboard()->text() == QStringLiteral("x7")) {
        EXPECT_EQ(edit->text(), QStringLiteral("x79"));
    }
    // Escape is a key like any other here: it does not close the dialog.
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(PasswordDialogTest, EnterClosesOnlyWithFourCharacters)
{
    showDialog();
    QTest::keyClicks(edit, QStringLiteral("123"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.enteredPassword().isEmpty());
    dialog.findChild<QPushButton *>(QStringLiteral("btEnterPass"))->click();
    EXPECT_TRUE(dialog.isVisible()) << "the OK button is held to the same rule";

    QTest::keyClicks(edit, QStringLiteral("45"));
    EXPECT_EQ(edit->text(), QStringLiteral("1234")) << "at most four characters";
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.enteredPassword(), "1234");
}

TEST_F(PasswordDialogTest, CloseBoxCancelsAndKeepsTheLastPassword)
{
    showDialog();
    QTest::keyClicks(edit, QStringLiteral("1234"));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(dialog.enteredPassword(), "1234");

    showDialog();
    EXPECT_TRUE(edit->text().isEmpty()) << "each showing starts empty";
    QTest::keyClicks(edit, QStringLiteral("5678"));
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.enteredPassword(), "1234");
}

class ProtectedTrackerWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TrackerHome::instance().reset();
        TrackerHome::instance().plug(
            scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("protected=1")}));
        TForm1::Options options;
        options.libraryDirs = {QStringLiteral(KVMT_TEST_BIN_DIR)};
        options.watchDevices = false;
        // No prompts given: the window's own dialogs answer.
        window = std::make_unique<TForm1>(options);
        window->show();
    }

    QString log() const { return window->logPane()->toPlainText(); }
    QStringList commands() const { return TrackerHome::instance().commands(QStringLiteral("5001500")); }

    std::unique_ptr<TForm1> window;
};

TEST_F(ProtectedTrackerWindowTest, RightPasswordAfterAShortOneReadsTheTracker)
{
    bool shortOneKeptItOpen = false;
    answerWhenShown([&](TFormPass &dialog) {
        QLineEdit *edit = passwordEdit(&dialog);
        QTest::keyClicks(edit, QStringLiteral("123"));
        QTest::keyClick(edit, Qt::Key_Return);
        shortOneKeptItOpen = dialog.isVisible();
        QTest::keyClicks(edit, QStringLiteral("4"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    window->configurator().monitor().devtimerTimer();

    EXPECT_TRUE(shortOneKeptItOpen);
    EXPECT_TRUE(commands().contains(QStringLiteral("SECUREOFFTMP=1234;")));
    EXPECT_TRUE(log().contains(QStringLiteral("Пароль OK")));
    EXPECT_FALSE(log().contains(QStringLiteral("1234"))) << "no password in the log";
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->configurator().settings().isChecked(F::cbPINCode));
}

TEST_F(ProtectedTrackerWindowTest, ClosedDialogLeavesTheTrackerUnread)
{
    answerWhenShown([](TFormPass &dialog) { dialog.close(); });
    window->configurator().monitor().devtimerTimer();
    EXPECT_TRUE(log().contains(QStringLiteral("Неверный пароль. Доступ не возможен")));
    EXPECT_TRUE(commands().filter(QStringLiteral("SECUREOFFTMP")).isEmpty());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->configurator().isConnected());
}

TEST_F(ProtectedTrackerWindowTest, PasswordRefusedByTheTrackerClosesTheWindowThroughItsCloseSteps)
{
    bool closeEventSeen = false;
    struct CloseSpy : QObject {
        bool *seen;
        explicit CloseSpy(bool *s) : seen(s) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Close)
                *seen = true;
            return false;
        }
    } spy(&closeEventSeen);
    window->installEventFilter(&spy);

    answerWhenShown([](TFormPass &dialog) {
        QTest::keyClicks(passwordEdit(&dialog), QStringLiteral("9999"));
        QTest::keyClick(passwordEdit(&dialog), Qt::Key_Return);
    });
    window->configurator().monitor().devtimerTimer();

    EXPECT_TRUE(closeEventSeen);
    EXPECT_FALSE(window->isVisible());
    const QStringList sent = commands();
    const qsizetype refused = sent.indexOf(QStringLiteral("SECUREOFFTMP=9999;"));
    ASSERT_GE(refused, 0);
    // The window's close steps tell the tracker, and nothing is read after.
    EXPECT_EQ(sent.mid(refused + 1), QStringList{QStringLiteral("CONFCLOSE=1;")});
}

TEST_F(ProtectedTrackerWindowTest, ShowingPasswordsUnmasksThePageButNotTheDialog)
{
    const char *const names[] = {"Passw", "OldPass_", "NewPass_", "edMasterPass", "NewPassM"};
    auto *show = window->findChild<QAbstractButton *>(QStringLiteral("cbViewPassEn"));
    ASSERT_TRUE(show);
    for (const char *name : names)
        EXPECT_EQ(window->findChild<QLineEdit *>(QString::fromLatin1(name))->echoMode(), QLineEdit::Password) << name;

    show->click();
    for (const char *name : names)
        EXPECT_EQ(window->findChild<QLineEdit *>(QString::fromLatin1(name))->echoMode(), QLineEdit::Normal) << name;
    QLineEdit::EchoMode dialogMode = QLineEdit::Normal;
    answerWhenShown([&](TFormPass &dialog) {
        dialogMode = passwordEdit(&dialog)->echoMode();
        dialog.close();
    });
    window->configurator().monitor().devtimerTimer();
    EXPECT_EQ(dialogMode, QLineEdit::Password);

    show->click();
    for (const char *name : names)
        EXPECT_EQ(window->findChild<QLineEdit *>(QString::fromLatin1(name))->echoMode(), QLineEdit::Password) << name;
}

TEST_F(ProtectedTrackerWindowTest, DialogOpensWhereTheWindowStoodAtStart)
{
    QTemporaryDir exeDir;
    QFile ini(QDir(exeDir.path()).filePath(QStringLiteral("MT.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[COMMON]\r\nMainForm=30,40,723,700\r\n");
    ini.close();
    TForm1::Options options;
    options.libraryDirs = {QStringLiteral(KVMT_TEST_BIN_DIR)};
    options.watchDevices = false;
    options.exeDir = exeDir.path();
    window = std::make_unique<TForm1>(options);
    window->show();
    window->move(200, 150);

    QPoint place;
    QString caption;
    answerWhenShown([&](TFormPass &dialog) {
        place = dialog.pos();
        caption = dialog.windowTitle();
        dialog.close();
    });
    window->configurator().monitor().devtimerTimer();
    EXPECT_EQ(place, QPoint(40, 30));
    EXPECT_EQ(caption, window->windowTitle());
}

// The person forgot the password, closed the dialog and set a new one with
// the master password: the tracker is open now, and the window still holds
// nothing of it. Save must not write those blanks over its settings.
TEST_F(ProtectedTrackerWindowTest, MasterResetAfterAClosedDialogThenSaveWritesNothingUnread)
{
    TrackerHome::instance().reset();
    TrackerHome::instance().plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("protected=1"), QStringLiteral("[settings]"),
                                           QStringLiteral("GSMAPN=kept.apn"), QStringLiteral("SERVER=kept.example"),
                                           QStringLiteral("DEVNAME=CAR7")}));
    answerWhenShown([](TFormPass &dialog) { dialog.close(); });
    window->configurator().monitor().devtimerTimer();
    ASSERT_TRUE(commands().filter(QStringLiteral("GSMAPN")).isEmpty()) << "nothing read yet";

    // The way a person gets there: "Общие настройки", then "Безопасность".
    auto *pages = window->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    auto *setup = window->findChild<QTabWidget *>(QStringLiteral("pcSetup"));
    ASSERT_TRUE(pages && setup);
    pages->setCurrentWidget(window->findChild<QWidget *>(QStringLiteral("TabSheet8")));
    setup->setCurrentWidget(window->findChild<QWidget *>(QStringLiteral("TabSheet6")));
    auto *master = window->findChild<QLineEdit *>(QStringLiteral("edMasterPass"));
    auto *fresh = window->findChild<QLineEdit *>(QStringLiteral("NewPassM"));
    auto *apply = window->findChild<QAbstractButton *>(QStringLiteral("edResetLockMp"));
    ASSERT_TRUE(master && fresh && apply);
    QTest::keyClicks(master, QStringLiteral("ABCDEFGHIJKLMNOP"));
    QTest::keyClicks(fresh, QStringLiteral("4321"));
    apply->click();
    EXPECT_TRUE(log().contains(QStringLiteral("Пароль успешно изменен")));
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("edAPN"))->text(), QStringLiteral("kept.apn"))
        << "the tracker is read at once";

    auto *save = window->findChild<QAbstractButton *>(QStringLiteral("btSave"));
    ASSERT_TRUE(save && save->isEnabled());
    save->click();
    const QStringList sent = commands();
    const qsizetype reset = sent.indexOf(QStringLiteral("SECURERESET=ABCDEFGHIJKLMNOP,4321;"));
    const qsizetype read = sent.indexOf(QStringLiteral("GSMAPN=?;"), reset);
    const qsizetype written = sent.indexOf(QStringLiteral("GSMAPN=kept.apn;"));
    ASSERT_GE(reset, 0);
    EXPECT_GT(read, reset);
    EXPECT_GT(written, read) << "read first, then written back as read";
    for (const char *blank : {"GSMAPN=;", "SERVER=;", "DEVNAME=;", "SETCP=0,0,0,0,0;"})
        EXPECT_FALSE(sent.contains(QString::fromLatin1(blank))) << blank;
}
