// The "Control zone" page: a circle on the map whose crossing the tracker
// reports, and the channels it reports on.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace kvmt {

using namespace pages;

void buildControlZonePage(QWidget *page)
{
    preparePage(page);
    addCheck(page, "cbCZ_En_Control", WindowText::tr("Разрешить контроль"), 16, 12);

    constexpr int groupTop = 44;
    QGroupBox *crossing = addGroup(page, "GroupBox9", WindowText::tr("Контроль"), {16, groupTop, 190, 84});
    addCheck(crossing, "cbCZ_Out", WindowText::tr("  выхода из зоны"), 16, 26);
    addCheck(crossing, "cbCZ_In", WindowText::tr("  входа в зону"), 16, 52);

    QGroupBox *zone =
        addGroup(page, "GroupBox8", WindowText::tr("Координаты контрольной зоны"), {220, groupTop, 240, 178});
    const auto addField = [zone](const char *label, const QString &caption, const char *edit, int top) {
        addLabel(zone, label, caption, 16, top);
        addEdit(zone, edit, {16, top + 18, 120, kEditHeight});
    };
    addField("Label49", WindowText::tr("Широта"), "edLat", 24);
    addField("Label50", WindowText::tr("Долгота"), "edLon", 74);
    addField("Label51", WindowText::tr("Радиус, м"), "edRadius", 124);

    QGroupBox *report = addGroup(page, "GroupBox7", WindowText::tr("Отправить"), {474, groupTop, 190, 110});
    addCheck(report, "cbCZ_SMS_En", WindowText::tr("  SMS"), 16, 26);
    addCheck(report, "cbCZ_Server_En", WindowText::tr("  на сервер"), 16, 52);
    addCheck(report, "cbCZ_SMTP_En", WindowText::tr("  на почту"), 16, 78);
}

} // namespace kvmt
