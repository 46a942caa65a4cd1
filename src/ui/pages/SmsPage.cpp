// The "SMS" page: the master numbers, the SMS gateway and how long the
// tracker stays on line after an SMS.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"
#include "ui/pages/UpDown.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace kvmt {

using namespace pages;

void buildSmsPage(QWidget *page)
{
    preparePage(page);
    addWarning(page, "Label31", WindowText::tr("Номера вводить с префиксом +7"), 16, 8);

    QGroupBox *master = addGroup(page, "GroupBox11", WindowText::tr(" Мастер "), {16, 40, 330, 200});
    addCheck(master, "cbCommandsWithoutParole", WindowText::tr("Команды без пароля"), 16, 26);
    const auto addNumber = [master](const char *label, const QString &caption, const char *edit, int top) {
        addLabel(master, label, caption, 16, top + 4);
        addEdit(master, edit, {90, top, 160, kEditHeight});
    };
    addNumber("Label19", WindowText::tr("Номер 1:"), "edSMSNumber1", 58);
    addNumber("Label20", WindowText::tr("Номер 2:"), "edSMSNumber2", 90);
    addNumber("Label21", WindowText::tr("Номер 3:"), "edSMSNumber3", 122);
    addButton(master, "btTestSMS", WindowText::tr("Тест SMS"), {90, 160, 100, kButtonHeight});

    QGroupBox *gate = addGroup(page, "GroupBox5", WindowText::tr("SMS шлюз"), {362, 40, 330, 200});
    // The gateway sends on the SMS channel's own schedule; there is none here.
    addWarning(gate, "Label40", WindowText::tr("Период  или время задаются"), 16, 24);
    addWarning(gate, "Label41", WindowText::tr("в профиле ( поле SMS )"), 16, 46);
    addCheck(gate, "cbSMSGateEn", WindowText::tr("Отправлять данные через SMS шлюз"), 16, 90);
    addLabel(gate, "Label18", WindowText::tr("Номер шлюза:"), 16, 126);
    addEdit(gate, "edSMSGate", {110, 122, 160, kEditHeight});

    constexpr int onLineTop = 256;
    QLabel *caption = addLabel(page, "Label38", WindowText::tr("Оставаться на связи после отправки SMS:"), 16,
                               onLineTop + 4);
    const int fieldLeft = caption->geometry().right() + 10;
    QLineEdit *onLine = addEdit(page, "edOnLineTime", {fieldLeft, onLineTop, 40, kEditHeight},
                                Qt::AlignRight | Qt::AlignVCenter);
    auto *arrows = new UpDown(onLine, 0, 10, page);
    arrows->setObjectName(QStringLiteral("udOnLineTime"));
    arrows->setGeometry(fieldLeft + 40, onLineTop, 17, kEditHeight);
    addLabel(page, "Label39", WindowText::tr("мин"), fieldLeft + 40 + 17 + 6, onLineTop + 4);
}

} // namespace kvmt
