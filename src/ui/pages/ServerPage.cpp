// The "Server" page: where the tracker sends its data over the mobile
// network, and the test of that connection.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QLabel>
#include <QLineEdit>

namespace kvmt {

using namespace pages;

void buildServerPage(QWidget *page)
{
    preparePage(page);
    constexpr int fieldLeft = 140;
    const auto addRow = [page](const char *label, const QString &caption, const char *edit, int top, int width) {
        addLabel(page, label, caption, 16, top + 4);
        addEdit(page, edit, {fieldLeft, top, width, kEditHeight});
    };
    addRow("Label5", WindowText::tr("Адрес сервера:"), "edServerIP", 16, 220);
    addRow("Label6", WindowText::tr("Порт сервера:"), "edServerPort", 48, 60);
    // Shown as typed, unlike the tracker's own passwords.
    addRow("Label7", WindowText::tr("Пароль сервера:"), "edServerPass", 80, 220);
    addButton(page, "btSrvTest", WindowText::tr("Тест сервера"), {fieldLeft, 120, 110, kButtonHeight});
}

} // namespace kvmt
