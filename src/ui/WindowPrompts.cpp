#include "ui/WindowPrompts.h"

#include "ui/TFormPass.h"

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
    TFormPass &dialog = passwordDialog();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.enteredPassword();
}

void WindowPrompts::closeProgram()
{
    // Through close(), so that the window's close steps run: the tracker is
    // told the configurator leaves, and closed.
    m_window->close();
}

WindowPrompts::WindowPrompts(QWidget *window)
    : m_window(window)
{
}

WindowPrompts::~WindowPrompts() = default;

TFormPass &WindowPrompts::passwordDialog()
{
    if (!m_passwordDialog)
        m_passwordDialog = std::make_unique<TFormPass>(m_window);
    return *m_passwordDialog;
}

} // namespace kvmt
