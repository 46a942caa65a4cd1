// The "Mail" page: the SMTP account the tracker sends from and the four
// recipients, each on the line of an account field.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QLabel>
#include <QLineEdit>

namespace kvmt {

using namespace pages;

void buildMailPage(QWidget *page)
{
    preparePage(page);
    constexpr int fieldLeft = 110;
    constexpr int rowPitch = 32;
    constexpr int firstRow = 16;
    const auto rowTop = [](int row) { return firstRow + row * rowPitch; };

    const auto addRow = [&](const char *label, const QString &caption, const char *edit, int row, int width) {
        addLabel(page, label, caption, 16, rowTop(row) + 4);
        addEdit(page, edit, {fieldLeft, rowTop(row), width, kEditHeight});
    };
    addRow("Label11", WindowText::tr("SMTP сервер:"), "edSMTPServer", 0, 210);
    addRow("Label12", WindowText::tr("Порт:"), "edSMTPPort", 1, 60);
    addRow("Label13", WindowText::tr("Логин:"), "edSMTPLogin", 2, 210);
    // Shown as typed, unlike the tracker's own passwords.
    addRow("Label14", WindowText::tr("Пароль:"), "edSMTPPass", 3, 210);
    addRow("Label15", WindowText::tr("От кого"), "edSMTPFrom", 4, 210);
    addCheck(page, "cbSSL", WindowText::tr("Разрешение SSL"), fieldLeft, rowTop(5) + 4);

    constexpr int numberLeft = 386;
    constexpr int recipientLeft = 400;
    addLabel(page, "Label52", WindowText::tr("Получатели"), recipientLeft, rowTop(0) + 4);
    const char *const numbers[] = {"Label16", "Label26", "Label27", "Label34"};
    const char *const recipients[] = {"edSMTPTo1", "edSMTPTo2", "edSMTPTo3", "edSMTPTo4"};
    for (int i = 0; i < 4; ++i) {
        addLabel(page, numbers[i], QString::number(i + 1), numberLeft, rowTop(i + 1) + 4);
        addEdit(page, recipients[i], {recipientLeft, rowTop(i + 1), 240, kEditHeight});
    }
    addButton(page, "btTestSMTP", WindowText::tr("Тест SMTP"), {recipientLeft, rowTop(5), 110, kButtonHeight});
}

} // namespace kvmt
