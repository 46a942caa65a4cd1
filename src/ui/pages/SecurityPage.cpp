// The "Security" page: the tracker's settings password, switched on and off,
// changed, or replaced with the master password.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionButton>

namespace kvmt {

using namespace pages;

namespace {

// Every group has its fields captioned above them and its own "Apply"
// button; the columns line up from group to group.
constexpr int kGroupWidth = 480;
constexpr int kGroupHeight = 82;
constexpr int kCaptionTop = 24;
constexpr int kFieldTop = 42;
constexpr int kPasswordWidth = 60;
constexpr int kFirstLeft = 24;
constexpr int kMasterWidth = 140; // the master password takes up to 16 digits
constexpr int kNewLeft = 240;     // clear of the check box's caption
constexpr int kApplyLeft = 360;

void addPassword(QGroupBox *group, const char *label, const QString &caption, const char *edit, int left, int width)
{
    addLabel(group, label, caption, left, kCaptionTop);
    addPasswordEdit(group, edit, {left, kFieldTop, width, kEditHeight});
}

void addApply(QGroupBox *group, const char *name)
{
    addButton(group, name, WindowText::tr("Применить"), {kApplyLeft, kFieldTop - 1, 100, kButtonHeight});
}

} // namespace

void buildSecurityPage(QWidget *page)
{
    preparePage(page);

    QGroupBox *protection =
        addGroup(page, "GroupBox3", WindowText::tr("Защита от изменения настроек"), {16, 8, kGroupWidth, kGroupHeight});
    // The check box's caption goes on in a label of its own on the next line.
    QCheckBox *ask = addCheck(protection, "cbPINCode", WindowText::tr("   Запрашивать пароль при "), 16, 26);
    // It starts under the first letter of the caption, past its leading blanks.
    QStyleOptionButton option;
    option.initFrom(ask);
    const QString text = ask->text();
    qsizetype blanks = 0;
    while (blanks < text.size() && text.at(blanks).isSpace())
        ++blanks;
    const int textLeft = ask->x() + ask->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, ask).x()
                         + ask->fontMetrics().horizontalAdvance(text.left(blanks));
    addLabel(protection, "Label45", WindowText::tr("входе в конфигуратор"), textLeft, ask->geometry().bottom() + 2);
    addPassword(protection, "Label46", WindowText::tr("Пароль"), "Passw", kNewLeft, kPasswordWidth);
    addApply(protection, "btOnOffPIN");

    QGroupBox *change =
        addGroup(page, "GroupBox6", WindowText::tr("Изменение пароля прибора"), {16, 98, kGroupWidth, kGroupHeight});
    addPassword(change, "Label43", WindowText::tr("Старый пароль"), "OldPass_", kFirstLeft, kPasswordWidth);
    addPassword(change, "Label44", WindowText::tr("Новый пароль"), "NewPass_", kNewLeft, kPasswordWidth);
    addApply(change, "btChangePIN");

    QGroupBox *reset = addGroup(page, "GroupBox4", WindowText::tr("Установка нового пароля прибора"),
                                {16, 188, kGroupWidth, kGroupHeight});
    addPassword(reset, "Label28", WindowText::tr("Мастер пароль"), "edMasterPass", kFirstLeft, kMasterWidth);
    addPassword(reset, "Label42", WindowText::tr("Новый пароль"), "NewPassM", kNewLeft, kPasswordWidth);
    addApply(reset, "edResetLockMp");

    addCheck(page, "cbViewPassEn", WindowText::tr("Показывать пароли"), 16, 282);
}

} // namespace kvmt
