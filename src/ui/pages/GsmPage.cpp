// The "GSM" page: SIM and data access, the balance request and the profile
// change by a call.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace kvmt {

using namespace pages;

void buildGsmPage(QWidget *page)
{
    preparePage(page);

    // Captions to the left, fields in one column.
    constexpr int captionLeft = 16;
    constexpr int fieldLeft = 176;
    constexpr int fieldWidth = 190;
    const auto addRow = [page](const char *label, const QString &caption, const char *edit, int top, int width) {
        addLabel(page, label, caption, captionLeft, top + 4);
        return addEdit(page, edit, {fieldLeft, top, width, kEditHeight});
    };
    addRow("Label1", WindowText::tr("PIN код:"), "edPinCode", 16, 60);
    addRow("Label2", WindowText::tr("Точка доступа APN:"), "edAPN", 48, fieldWidth);
    addRow("Label3", WindowText::tr("Имя пользователя APN:"), "edAPNLogin", 80, fieldWidth);
    // Shown as typed, unlike the tracker's own passwords.
    addRow("Label4", WindowText::tr("Пароль APN:"), "edAPNPass", 112, fieldWidth);
    addWrappingCheck(page, "cbLBSDisable",
                     WindowText::tr("Запретить автоматическое определение координат по базовым станциям"),
                     {captionLeft, 148, fieldLeft + fieldWidth - captionLeft, 36});

    QGroupBox *balance = addGroup(page, "gbBalance", WindowText::tr("Запрос баланса"), {400, 8, 290, 190});
    addLabel(balance, "Label33", WindowText::tr("USSD запрос баланса"), 16, 24);
    addEdit(balance, "edBalanceNum", {16, 42, 258, kEditHeight});
    addLabel(balance, "Label48", WindowText::tr("Порог предупреждения"), 16, 76);
    addEdit(balance, "edBalanceLevel", {16, 94, 90, kEditHeight});
    addCheck(balance, "cbBalanceSMS", WindowText::tr("Отправлять баланс в SMS"), 16, 128);
    addCheck(balance, "cbBalanceSMTP", WindowText::tr("Отправлять баланс в Email"), 16, 154);

    QGroupBox *byCall =
        addGroup(page, "GroupBox13", WindowText::tr("Изменение профиля по звонку"), {captionLeft, 204, 374, 64});
    addCheck(byCall, "cbChangeProfile", WindowText::tr("Изменить на"), 16, 30);
    addList(byCall, "cbProfile_Call", {130, 27, 228, kEditHeight});
}

} // namespace kvmt
