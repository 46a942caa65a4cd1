#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kvmt {

// What the core needs to ask or tell the person at the computer. The window
// answers with dialogs, the command-line tool from its options, tests with
// scripted answers. The core never opens a dialog itself.
class UserPrompts
{
public:
    virtual ~UserPrompts() = default;
    // A message box with an error icon and an OK button.
    virtual void showError(const QString &caption, const QString &text) = 0;
    // A plain message box with an OK button, captioned with the program's
    // title: a value the person entered could not be used.
    virtual void showMessage(const QString &text) = 0;
    // The tracker's settings password; nullopt when the person declined.
    virtual std::optional<QByteArray> askDevicePassword() = 0;
    // The tracker refused the password: the program closes through its
    // normal close steps.
    virtual void closeProgram() = 0;
    // File dialogs: the chosen file's full name, nullopt when the person
    // cancelled. `filter` is "description|pattern", e.g. "Text files
    // (*.atc)|*.ATC"; `initialName` is the name the dialog proposes. A side
    // that cannot ask cancels.
    virtual std::optional<QString> askOpenFileName(const QString &title, const QString &filter,
                                                   const QString &initialName)
    {
        Q_UNUSED(title);
        Q_UNUSED(filter);
        Q_UNUSED(initialName);
        return std::nullopt;
    }
    virtual std::optional<QString> askSaveFileName(const QString &title, const QString &filter,
                                                   const QString &initialName)
    {
        Q_UNUSED(title);
        Q_UNUSED(filter);
        Q_UNUSED(initialName);
        return std::nullopt;
    }
    // A question with Yes and No; true for Yes. Answering No is always safe,
    // so a side that cannot ask says No.
    virtual bool askYesNo(const QString &caption, const QString &text)
    {
        Q_UNUSED(caption);
        Q_UNUSED(text);
        return false;
    }
};

} // namespace kvmt
