#pragma once

#include "device/UserPrompts.h"

#include <memory>

class QWidget;

namespace kvmt {

class TFormPass;

// The window's answers to the core's questions: message boxes and dialogs.
class WindowPrompts final : public UserPrompts
{
public:
    explicit WindowPrompts(QWidget *window);
    void showError(const QString &caption, const QString &text) override;
    void showMessage(const QString &text) override;
    std::optional<QByteArray> askDevicePassword() override;
    void closeProgram() override;
    std::optional<QString> askOpenFileName(const QString &title, const QString &filter,
                                           const QString &initialName) override;
    std::optional<QString> askSaveFileName(const QString &title, const QString &filter,
                                           const QString &initialName) override;
    bool askYesNo(const QString &caption, const QString &text) override;

    ~WindowPrompts() override;
    // Made once, on first use, and shown again for every protected tracker.
    TFormPass &passwordDialog();

private:
    QWidget *m_window;
    std::unique_ptr<TFormPass> m_passwordDialog;
};

} // namespace kvmt
