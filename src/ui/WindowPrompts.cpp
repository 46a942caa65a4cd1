#include "ui/WindowPrompts.h"

#include <QMessageBox>
#include <QWidget>

namespace kvmt {

void WindowPrompts::showError(const QString &caption, const QString &text)
{
    QMessageBox::critical(m_window, caption, text, QMessageBox::Ok);
}

void WindowPrompts::showMessage(const QString &text)
{
    QMessageBox::warning(m_window, m_window->windowTitle(), text, QMessageBox::Ok);
}

std::optional<QByteArray> WindowPrompts::askDevicePassword()
{
    // The password dialog is not part of the window yet: a protected tracker
    // is treated as if the person had cancelled it.
    return std::nullopt;
}

void WindowPrompts::closeProgram()
{
    m_window->close();
}

} // namespace kvmt
