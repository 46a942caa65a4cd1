// The "Accelerometer" page: movement detection, what the tracker does when
// it moves, and the hours in which it watches.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace kvmt {

using namespace pages;

namespace {

constexpr int kTimeFieldWidth = 40;

// An hours and a minutes field side by side, each captioned above.
void addTimePair(QGroupBox *group, int left, const char *hoursLabel, const char *hours, const char *minutesLabel,
                 const char *minutes)
{
    constexpr int captionTop = 24;
    constexpr int fieldTop = 44;
    const auto addField = [group](const char *labelName, const QString &unit, const char *fieldName, int x) {
        QLabel *label = addLabel(group, labelName, unit, x, captionTop);
        label->move(x + (kTimeFieldWidth - label->width()) / 2, captionTop);
        addEdit(group, fieldName, {x, fieldTop, kTimeFieldWidth, kEditHeight}, Qt::AlignCenter);
    };
    addField(hoursLabel, WindowText::tr("Часы"), hours, left);
    addField(minutesLabel, WindowText::tr("Минуты"), minutes, left + 60);
}

} // namespace

void buildAccelerometerPage(QWidget *page)
{
    preparePage(page);
    addCheck(page, "cbAcclEn", WindowText::tr("Использовать акселерометр"), 16, 12);
    addLabel(page, "Label24", WindowText::tr("Чувствительность акселерометра"), 16, 48);
    addList(page, "cbAcclSense", {16, 68, 228, kEditHeight});
    QLabel *delay = addLabel(page, "Label60", WindowText::tr("Задержка после остановки, мин"), 16, 112);
    addEdit(page, "edAccSenTimeOut", {delay->geometry().right() + 10, 108, kTimeFieldWidth, kEditHeight},
            Qt::AlignCenter);

    QGroupBox *alerts = addGroup(page, "GroupBox2", WindowText::tr("Оповещения"), {400, 8, 290, 164});
    addCheck(alerts, "cbAcclSendSMS", WindowText::tr("Отправлять SMS"), 16, 26);
    // Depends on the SMS switch above it.
    addCheck(alerts, "cbFastSMS", WindowText::tr("SMS без ожидания координат"), 36, 52);
    addCheck(alerts, "cbAcclSendSrv", WindowText::tr("Отправлять на сервер"), 16, 78);
    addCheck(alerts, "cbAcclSendEmail", WindowText::tr("Отправлять на Email"), 16, 104);
    addCheck(alerts, "cbCallOnNumber", WindowText::tr("Звонок на номер 1"), 16, 130);

    QGroupBox *window = addGroup(page, "GroupBox12", WindowText::tr("Период действия"), {16, 186, 420, 82});
    addLabel(window, "Label54", WindowText::tr("Начало"), 16, 48);
    addTimePair(window, 80, "Label56", "edAccActHourBeg", "Label57", "edAccActMinBeg");
    addLabel(window, "Label55", WindowText::tr("Конец"), 226, 48);
    addTimePair(window, 286, "Label58", "edAccActHourEnd", "Label59", "edAccActMinEnd");
}

} // namespace kvmt
