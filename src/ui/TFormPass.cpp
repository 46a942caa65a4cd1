#include "ui/TFormPass.h"

#include "text/Cp1251.h"
#include "ui/pages/PageKit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kvmt {

namespace {

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

bool isDigit(const QString &typed)
{
    return typed.size() == 1 && typed.front() >= u'0' && typed.front() <= u'9';
}

} // namespace

TFormPass::TFormPass(QWidget *mainWindow)
    : QDialog(mainWindow)
{
    setObjectName(QStringLiteral("FormPass"));
    setWindowTitle(QStringLiteral("KVMTConf"));
    // A small tool window with only a close box.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(pages::pixelFont(13));

    addLabel(this, "Label1", tr("  Введите пароль"), 8, 8);
    addLabel(this, "Label2", tr("4 цифры"), 32, 30);

    m_edPass = new QLineEdit(this);
    m_edPass->setObjectName(QStringLiteral("edPass"));
    m_edPass->setGeometry(32, 61, 51, 21);
    m_edPass->setFont(pages::pixelFont(11));
    m_edPass->setMaxLength(kPasswordLength);
    m_edPass->setEchoMode(QLineEdit::Password);
    // The password is masked with "*", as the page's password fields are.
    m_edPass->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    m_edPass->installEventFilter(this);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btEnterPass"));
    ok->setGeometry(32, 103, 51, 25);
    // Enter is the field's own key; the button only answers clicks.
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormPass::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormPass::FormShow()
{
    if (parentWidget())
        setWindowTitle(parentWidget()->window()->windowTitle());
    m_edPass->clear();
    m_edPass->setFocus();
    move(m_storedTopLeft);
}

bool TFormPass::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edPass && event->type() == QEvent::KeyPress)
        return edPassKeyPress(static_cast<const QKeyEvent &>(*event));
    return QDialog::eventFilter(watched, event);
}

bool TFormPass::edPassKeyPress(const QKeyEvent &key)
{
    const int code = key.key();
    if (code == Qt::Key_Return || code == Qt::Key_Enter) {
        accept();
        return true;
    }
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier)
        return code != Qt::Key_C && code != Qt::Key_V;
    if (code == Qt::Key_Backspace)
        return false;
    // Keys that type nothing (arrows, Delete, Tab, Shift) move and edit as
    // usual; of the keys that type, only the digits pass.
    const bool types = !key.text().isEmpty() && code != Qt::Key_Delete && code != Qt::Key_Tab
                       && code != Qt::Key_Backtab;
    return types && !isDigit(key.text());
}

void TFormPass::done(int result)
{
    if (result == QDialog::Accepted) {
        // Fewer than four characters: the dialog stays, without a word.
        if (m_edPass->text().size() != kPasswordLength)
            return;
        m_enteredPassword = toCp1251(m_edPass->text());
    }
    QDialog::done(result);
}

} // namespace kvmt
