// Protects the contract between the pages and the settings model: every
// member has one control of its kind under its name, and edits travel both
// ways through the binder.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSet>
#include <QTabBar>
#include <QTest>

#include "WindowFixture.h"

namespace kvmt::test {
namespace {

bool isCaptionLabel(const QString &name)
{
    // Text members shown, not typed: the header panels and the profile
    // captions.
    static const QSet<QString> labels = {
        QStringLiteral("pSerial"), QStringLiteral("pVersion"), QStringLiteral("Ubattery"), QStringLiteral("Temper"),
        QStringLiteral("Label62"), QStringLiteral("Label63"), QStringLiteral("Label64"),
    };
    return labels.contains(name);
}

TEST_F(WindowTest, EveryModelMemberHasExactlyOneControlOfItsKind)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        const QString name = DeviceSettings::name(field);
        SCOPED_TRACE(name.toStdString());
        const QList<QWidget *> found = window->findChildren<QWidget *>(name);
        ASSERT_EQ(found.size(), 1);
        QWidget *widget = found.first();
        switch (DeviceSettings::info(field).kind) {
        case FieldKind::Text:
            if (isCaptionLabel(name))
                EXPECT_TRUE(qobject_cast<QLabel *>(widget));
            else
                EXPECT_TRUE(qobject_cast<QLineEdit *>(widget));
            break;
        case FieldKind::Flag:
            EXPECT_TRUE(qobject_cast<QCheckBox *>(widget));
            break;
        case FieldKind::Radio:
            EXPECT_TRUE(qobject_cast<QRadioButton *>(widget));
            break;
        case FieldKind::Choice:
            EXPECT_TRUE(qobject_cast<QComboBox *>(widget));
            break;
        case FieldKind::Control:
            break;
        }
    }
}

TEST_F(WindowTest, ControlNamesAreNotRepeated)
{
    QHash<QString, int> seen;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        // Tab bars name their scroll arrows; those are the toolkit's.
        const bool toolkitPart = name.startsWith(QLatin1String("qt_")) || qobject_cast<QTabBar *>(widget->parent());
        if (!name.isEmpty() && !toolkitPart)
            ++seen[name];
    }
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        EXPECT_EQ(it.value(), 1) << it.key().toStdString();
}

// Typing reaches the model: every edit, whatever page, state or mask it has.
TEST_F(WindowTest, TypingIntoAnyEditReachesTheModel)
{
    // Disabled fields and boxes take no keys; the model opens them all, as
    // the rules would one by one.
    for (int i = 0; i < kFieldCount; ++i)
        model().setEnabled(Field(i), true);
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        auto *edit = qobject_cast<QLineEdit *>(window->findChild<QWidget *>(DeviceSettings::name(field)));
        if (!edit)
            continue;
        SCOPED_TRACE(DeviceSettings::name(field).toStdString());
        showPage(edit);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("7"));
        EXPECT_EQ(model().text(field), QStringLiteral("7"));
    }
}

TEST_F(WindowTest, LimitedEditsStopAtTheirLimitWhenTyped)
{
    for (int i = 0; i < kFieldCount; ++i)
        model().setEnabled(Field(i), true);
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        const int limit = DeviceSettings::info(field).limit;
        auto *edit = qobject_cast<QLineEdit *>(window->findChild<QWidget *>(DeviceSettings::name(field)));
        if (!edit || limit == 0)
            continue;
        SCOPED_TRACE(DeviceSettings::name(field).toStdString());
        edit->selectAll();
        QTest::keyClicks(edit, QString(limit + 3, u'1'));
        // A change rule may shorten the value further, never lengthen it.
        EXPECT_LE(model().text(field).size(), limit);
        EXPECT_FALSE(model().text(field).isEmpty());
        EXPECT_EQ(edit->text(), model().text(field));
    }
}

// The limit holds for typing only: a longer text from the tracker or a file
// is shown whole, and can still be shortened by hand.
TEST_F(WindowTest, TextFromTheProgramIsNotCutByTheTypingLimit)
{
    const QString longName = QStringLiteral("ABCDEFGHIJKL");
    model().setText(F::edDevName, longName);
    auto *edit = control<QLineEdit>("edDevName");
    EXPECT_EQ(edit->text(), longName);
    showPage(edit);
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(model().text(F::edDevName), QStringLiteral("ABCDEFGHIJK"));
    QTest::keyClicks(edit, QStringLiteral("Z"));
    EXPECT_EQ(model().text(F::edDevName), QStringLiteral("ABCDEFGHIJK"));
}

TEST_F(WindowTest, PinAcceptsFourDigits)
{
    auto *pin = control<QLineEdit>("edPinCode");
    showPage(pin);
    QTest::keyClicks(pin, QStringLiteral("123456"));
    EXPECT_EQ(model().text(F::edPinCode), QStringLiteral("1234"));
}

TEST_F(WindowTest, OnlyTheTrackersOwnPasswordsAreMasked)
{
    for (const char *name : {"Passw", "OldPass_", "NewPass_", "edMasterPass", "NewPassM"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(control<QLineEdit>(name)->echoMode(), QLineEdit::Password);
    }
    for (const char *name : {"edServerPass", "edSMTPPass", "edAPNPass"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(control<QLineEdit>(name)->echoMode(), QLineEdit::Normal);
    }
    // Masked on screen, plain in the model.
    auto *password = control<QLineEdit>("Passw");
    showPage(password);
    QTest::keyClicks(password, QStringLiteral("0042"));
    EXPECT_EQ(model().text(F::Passw), QStringLiteral("0042"));
    EXPECT_NE(password->displayText(), QStringLiteral("0042"));
}

TEST_F(WindowTest, ListsShowTheModelItemsAndCannotBeTypedInto)
{
    auto items = [this](const char *name) {
        QStringList shown;
        auto *list = control<QComboBox>(name);
        for (int i = 0; i < list->count(); ++i)
            shown.append(list->itemText(i));
        return shown;
    };
    const QStringList profiles = items("cbProfile");
    const QStringList callProfiles = items("cbProfile_Call");
    ASSERT_EQ(profiles.size(), 7);
    ASSERT_EQ(callProfiles.size(), 7);
    EXPECT_EQ(profiles[1], QStringLiteral("Авто (CAR)"));
    EXPECT_EQ(profiles[3], QStringLiteral("Трекер (TKR)"));
    EXPECT_EQ(callProfiles[1], QStringLiteral("Авто (Car)"));
    EXPECT_EQ(callProfiles[3], QStringLiteral("Треккер (TKR)"));
    for (int i : {0, 2, 4, 5, 6})
        EXPECT_EQ(profiles[i], callProfiles[i]);
    EXPECT_EQ(profiles[6], QStringLiteral("Пользовательский 2 (USR2)"));
    EXPECT_EQ(items("cbAcclSense"),
              (QStringList{QStringLiteral("очень низкая"), QStringLiteral("низкая"), QStringLiteral("нормальная"),
                           QStringLiteral("высокая"), QStringLiteral("очень высокая")}));
    for (const char *name : {"cbProfile", "cbProfile_Call", "cbAcclSense"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(control<QComboBox>(name)->isEditable());
        const Field field = *DeviceSettings::fieldByName(QString::fromLatin1(name));
        EXPECT_EQ(control<QComboBox>(name)->currentIndex(), model().index(field));
    }
    // Showing the window selects the first user profile; the others keep
    // their first item.
    EXPECT_EQ(model().index(F::cbProfile), 5);
    EXPECT_EQ(model().index(F::cbProfile_Call), 0);
    EXPECT_EQ(model().index(F::cbAcclSense), 0);
}

TEST_F(WindowTest, UserChoicesReachTheModel)
{
    auto *ind = control<QCheckBox>("cbInd");
    showPage(ind);
    QTest::mouseClick(ind, Qt::LeftButton, {}, ind->rect().center());
    EXPECT_TRUE(model().isChecked(F::cbInd));

    auto *yandex = control<QRadioButton>("rbYandex");
    QTest::mouseClick(yandex, Qt::LeftButton, {}, yandex->rect().center());
    EXPECT_TRUE(model().isChecked(F::rbYandex));
    EXPECT_FALSE(model().isChecked(F::rbGoogle));
    EXPECT_FALSE(control<QRadioButton>("rbGoogle")->isChecked());

    auto *sense = control<QComboBox>("cbAcclSense");
    model().setEnabled(F::cbAcclSense, true);
    showPage(sense);
    sense->setFocus();
    QTest::keyClick(sense, Qt::Key_Down);
    EXPECT_EQ(model().index(F::cbAcclSense), 1);
}

TEST_F(WindowTest, ModelChangesReachTheControls)
{
    model().setText(F::edAPN, QStringLiteral("internet.example"));
    EXPECT_EQ(control<QLineEdit>("edAPN")->text(), QStringLiteral("internet.example"));
    model().setChecked(F::cbCZ_In, true);
    EXPECT_TRUE(control<QCheckBox>("cbCZ_In")->isChecked());
    model().setChecked(F::rbTimeInSrv, true);
    EXPECT_TRUE(control<QRadioButton>("rbTimeInSrv")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("rbEveryTimeSrv")->isChecked());
    model().setIndex(F::cbProfile, 4);
    EXPECT_EQ(control<QComboBox>("cbProfile")->currentText(), QStringLiteral("Поиск (SRH)"));

    // Shown and enabled states, including those of labels and group boxes.
    auto *ssl = control("cbSSL");
    showPage(ssl);
    EXPECT_FALSE(ssl->isVisible());
    model().setVisible(F::cbSSL, true);
    EXPECT_TRUE(ssl->isVisible());
    EXPECT_FALSE(control("GroupBox12")->isEnabled());
    model().setEnabled(F::GroupBox12, true);
    EXPECT_TRUE(control("GroupBox12")->isEnabled());
    model().setText(F::Label62, QStringLiteral("Просыпаться с периодом"));
    EXPECT_EQ(control<QLabel>("Label62")->text(), QStringLiteral("Просыпаться с периодом"));
}

// Captions whose blanks and spelling are easy to lose.
TEST_F(WindowTest, CaptionsKeepTheirExactText)
{
    const struct {
        const char *name;
        const char *text;
    } captions[] = {
        {"cbSentSMS", "Отправлять  SMS"},
        {"cbPINCode", "   Запрашивать пароль при "},
        {"Label45", "входе в конфигуратор"},
        {"GroupBox11", " Мастер "},
        {"Label40", "Период  или время задаются"},
        {"Label41", "в профиле ( поле SMS )"},
        {"rbCoordinate", "Координаты без  ссылки"},
        {"cbCZ_Out", "  выхода из зоны"},
        {"cbCZ_In", "  входа в зону"},
        {"cbCZ_SMS_En", "  SMS"},
        {"cbCZ_SMTP_En", "  на почту"},
        {"rbGoogle", ""},
        {"rbYandex", ""},
        {"Label15", "От кого"},
        {"Label38", "Оставаться на связи после отправки SMS:"},
        {"cbLBSDisable", "Запретить автоматическое определение координат по базовым станциям"},
        {"gbSMTPPeriod", "Электронная почта"},
        {"Label47", "Период"},
        {"rbTimeInSMTP", "Время:"},
        {"Label36", "Минуты"},
        {"Label54", "Начало"},
        {"Label55", "Конец"},
        {"Label59", "Минуты"},
        {"Button1", "BOOT"},
        {"btDefaultSetup", "Заводские настройки"},
        {"Label31", "Номера вводить с префиксом +7"},
    };
    for (const auto &caption : captions) {
        SCOPED_TRACE(caption.name);
        QWidget *widget = control(caption.name);
        ASSERT_TRUE(widget);
        QString text;
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            text = button->text();
        else if (auto *label = qobject_cast<QLabel *>(widget))
            text = label->text();
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            text = group->title();
        EXPECT_EQ(text, QString::fromUtf8(caption.text));
    }
}

TEST_F(WindowTest, DesignStatesComeThroughTheModel)
{
    EXPECT_TRUE(control<QCheckBox>("cbAutoTimeSync")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("rbGoogle")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("rbEveryTime")->isChecked());
    EXPECT_FALSE(control("edMapFormat_1")->isEnabled());
    EXPECT_EQ(control<QLineEdit>("edMapFormat_2")->text(), QStringLiteral("Яндекс карты"));
    // Showing the window lays out the first user profile: the GPS minutes
    // appear; the profile captions stay hidden.
    for (const char *hidden : {"Label62", "Label63", "Label64", "edCmd", "btSkip", "Button1", "Button2"}) {
        SCOPED_TRACE(hidden);
        EXPECT_FALSE(control(hidden)->isVisibleTo(window.get()));
    }
    EXPECT_EQ(control<QLineEdit>("edOnLineTime")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(control<QLineEdit>("edTimeZone")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

} // namespace
} // namespace kvmt::test
