#include "ui/WindowPrompts.h"

#include "ui/TFormPass.h"

#include <QMessageBox>
#include <QFileDialog>
#include <QWidget>

namespace kvmt {

class WindowPrompts::Modal
{
public:
    explicit Modal(const WindowPrompts &prompts)
        : m_prompts(prompts)
    {
        if (m_prompts.m_opened)
            m_prompts.m_opened();
    }
    ~Modal()
    {
        if (m_prompts.m_closed)
            m_prompts.m_closed();
    }
    Modal(const Modal &) = delete;
    Modal &operator=(const Modal &) = delete;

private:
    const WindowPrompts &m_prompts;
};

void WindowPrompts::setModalHooks(std::function<void()> opened, std::function<void()> closed)
{
    m_opened = std::move(opened);
    m_closed = std::move(closed);
}

void WindowPrompts::showError(const QString &caption, const QString &text)
{
    const Modal modal(*this);
    QMessageBox::critical(m_window, caption, text, QMessageBox::Ok);
}

void WindowPrompts::showMessage(const QString &text)
{
    const Modal modal(*this);
    QMessageBox::warning(m_window, m_window->windowTitle(), text, QMessageBox::Ok);
}

std::optional<QByteArray> WindowPrompts::askDevicePassword()
{
    TFormPass &dialog = passwordDialog();
    const Modal modal(*this);
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

bool WindowPrompts::askYesNo(const QString &caption, const QString &text)
{
    const Modal modal(*this);
    return QMessageBox::question(m_window, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
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

namespace {

// "Text files (*.atc)|*.ATC" as the toolkit writes a filter. Its dialog
// matches patterns without regard to case, so *.atc also finds *.ATC.
QString toolkitFilter(const QString &filter)
{
    const QString description = filter.section(u'|', 0, 0);
    const QString pattern = filter.section(u'|', 1);
    if (description.contains(u'(') || pattern.isEmpty())
        return description;
    return description + QStringLiteral(" (") + pattern + u')';
}

std::optional<QString> chosen(const QString &name)
{
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

} // namespace

std::optional<QString> WindowPrompts::askOpenFileName(const QString &title, const QString &filter,
                                                      const QString &initialName)
{
    const Modal modal(*this);
    return chosen(QFileDialog::getOpenFileName(m_window, title, initialName, toolkitFilter(filter)));
}

std::optional<QString> WindowPrompts::askSaveFileName(const QString &title, const QString &filter,
                                                      const QString &initialName)
{
    const Modal modal(*this);
    return chosen(QFileDialog::getSaveFileName(m_window, title, initialName, toolkitFilter(filter)));
}

} // namespace kvmt
