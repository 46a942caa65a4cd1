#pragma once

#include <QByteArray>
#include <QDialog>
#include <QPoint>

class QLineEdit;

namespace kvmt {

// The password dialog shown when a protected tracker is connected: four
// digits, confirmed with Enter or OK. It exists for the whole run and is
// shown again for every protected connection.
class TFormPass : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kClientWidth = 124;
    static constexpr int kClientHeight = 147;
    static constexpr int kPasswordLength = 4;

    explicit TFormPass(QWidget *mainWindow = nullptr);

    // Where the dialog opens: the main window's place as the program
    // settings file gave it at start, not where the window is now.
    void setStoredTopLeft(QPoint topLeft) { m_storedTopLeft = topLeft; }
    // The four characters last confirmed, as the tracker receives them;
    // kept until the next confirmation.
    const QByteArray &enteredPassword() const { return m_enteredPassword; }

    // Closing with OK is refused until the field holds four characters.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    // True when the key is to be dropped.
    bool edPassKeyPress(const QKeyEvent &key);

    QLineEdit *m_edPass = nullptr;
    QPoint m_storedTopLeft;
    QByteArray m_enteredPassword;
};

} // namespace kvmt
