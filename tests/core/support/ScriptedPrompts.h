#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

#include "device/UserPrompts.h"

namespace kvmt::test {

// Answers the core's questions as a test scripted them, and remembers what
// was asked.
class ScriptedPrompts final : public UserPrompts
{
public:
    void showError(const QString &caption, const QString &text) override
    {
        errors.append({caption, text});
        if (whileShowing)
            whileShowing();
    }
    void showMessage(const QString &text) override
    {
        messages.append(text);
        if (whileShowing)
            whileShowing();
    }
    std::optional<QByteArray> askDevicePassword() override
    {
        ++passwordRequests;
        if (whileAsking)
            whileAsking();
        return password;
    }
    void closeProgram() override { ++closeRequests; }
    std::optional<QString> askOpenFileName(const QString &title, const QString &filter,
                                           const QString &initialName) override
    {
        fileDialogs.append({title, filter, initialName});
        return openFileName;
    }
    std::optional<QString> askSaveFileName(const QString &title, const QString &filter,
                                           const QString &initialName) override
    {
        fileDialogs.append({title, filter, initialName});
        return saveFileName;
    }
    bool askYesNo(const QString &caption, const QString &text) override
    {
        questions.append({caption, text});
        return answerYes;
    }

    struct Error {
        QString caption;
        QString text;
    };
    QList<Error> errors;
    struct FileDialog {
        QString title;
        QString filter;
        QString initialName;
    };
    QList<FileDialog> fileDialogs;
    // The file names the dialogs answer; nullopt: cancelled.
    std::optional<QString> openFileName;
    std::optional<QString> saveFileName;
    QStringList messages;
    QList<Error> questions;
    bool answerYes = false;
    std::optional<QByteArray> password;
    // Run while the password "dialog" or a message "box" is open, as
    // timers would.
    std::function<void()> whileAsking;
    std::function<void()> whileShowing;
    int passwordRequests = 0;
    int closeRequests = 0;
};

} // namespace kvmt::test
