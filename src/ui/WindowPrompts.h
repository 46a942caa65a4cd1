#pragma once

#include "device/UserPrompts.h"

#include <functional>
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

    // Told when a box or dialog opens and when it closes: device notices
    // must wait until the person is done with it.
    void setModalHooks(std::function<void()> opened, std::function<void()> closed);

    ~WindowPrompts() override;
    // Made once, on first use, and shown again for every protected tracker.
    TFormPass &passwordDialog();

private:
    // Holds the hooks' pair around one modal box.
    class Modal;

    QWidget *m_window;
    std::function<void()> m_opened;
    std::function<void()> m_closed;
    std::unique_ptr<TFormPass> m_passwordDialog;
};

} // namespace kvmt
