// The "Misc" page: the tracker's name and clock, the link template of its
// position messages, debugging, factory defaults and the service console.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace kvmt {

using namespace pages;

void buildMiscPage(QWidget *page)
{
    preparePage(page);
    addLabel(page, "Label23", WindowText::tr("Имя прибора"), 16, 10);
    addEdit(page, "edDevName", {16, 28, 120, kEditHeight});
    addCheck(page, "cbInd", WindowText::tr("Откл. индикацию светодиодов"), 16, 64);

    QGroupBox *time =
        addGroup(page, "gbTime", WindowText::tr("Установка времени и часового пояса"), {16, 96, 330, 142});
    addCheck(time, "cbAutoTimeSync", WindowText::tr("Установить с компьютера"), 16, 26);
    addLabel(time, "Label37", WindowText::tr("Время"), 16, 58);
    addEdit(time, "edTimeSync", {70, 54, 150, kEditHeight});
    addLabel(time, "Label61", WindowText::tr("Часовой пояс"), 16, 88);
    addEdit(time, "edTimeZone", {16, 106, 44, kEditHeight}, Qt::AlignCenter);
    addCheck(time, "cbAutoSummerTime", WindowText::tr("Переход на летнее время"), 80, 108);

    // The first two templates are links whose text the user may edit; the
    // buttons carry no caption because the edits beside them are the caption.
    QGroupBox *map = addGroup(page, "gbMapType", WindowText::tr("Шаблон для координат"), {360, 8, 330, 118});
    addRadio(map, "rbGoogle", QString(), 16, 30);
    addEdit(map, "edMapFormat_1", {40, 26, 274, kEditHeight});
    addRadio(map, "rbYandex", QString(), 16, 60);
    addEdit(map, "edMapFormat_2", {40, 56, 274, kEditHeight});
    addRadio(map, "rbCoordinate", WindowText::tr("Координаты без  ссылки"), 16, 88);

    QGroupBox *debug = addGroup(page, "GroupBox10", WindowText::tr("Отладка"), {360, 136, 330, 84});
    addCheck(debug, "cbOutputLog", WindowText::tr("Выводить Log"), 16, 26);
    addCheck(debug, "cbSendDataUSB", WindowText::tr("Передавать данные при подключении USB"), 16, 52);

    // The bottom row: the console and the boot-loader buttons are hidden
    // until the service console is asked for on the command line.
    constexpr int bottom = 318;
    addButton(page, "btDefaultSetup", WindowText::tr("Заводские настройки"), {16, bottom, 150, kButtonHeight});
    addEdit(page, "edCmd", {176, bottom, 330, kEditHeight});
    addButton(page, "btSkip", WindowText::tr("CMD"), {512, bottom, 50, kButtonHeight});
    addButton(page, "Button2", WindowText::tr("Button2"), {582, bottom, 56, kButtonHeight});
    addButton(page, "Button1", WindowText::tr("BOOT"), {642, bottom, 48, kButtonHeight});
}

} // namespace kvmt
