#pragma once

#include "device/UserPrompts.h"

class QWidget;

namespace kvmt {

// The window's answers to the core's questions: message boxes and dialogs.
class WindowPrompts final : public UserPrompts
{
public:
    explicit WindowPrompts(QWidget *window)
        : m_window(window)
    {
    }
    void showError(const QString &caption, const QString &text) override;
    void showMessage(const QString &text) override;
    std::optional<QByteArray> askDevicePassword() override;
    void closeProgram() override;

private:
    QWidget *m_window;
};

} // namespace kvmt
