#include "ui/KeyFilterInstaller.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "profiles/KeyFilters.h"
#include "ui/SettingsBinder.h"

namespace kvmt {

namespace {

std::optional<Field> fieldOf(const QObject *watched)
{
    return DeviceSettings::fieldByName(watched->objectName());
}

} // namespace

KeyFilterInstaller::KeyFilterInstaller(const SettingsBinder &binder, QObject *parent)
    : QObject(parent)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        // Every edit of a text member: those without a filter still refuse ';'.
        if (DeviceSettings::info(field).kind != FieldKind::Text)
            continue;
        if (auto *edit = qobject_cast<QLineEdit *>(binder.widgetFor(field))) {
            edit->installEventFilter(this);
            ++m_watched;
        }
    }
}

std::optional<QChar> KeyFilterInstaller::typedChar(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
        return QChar(KeyFilter::kBackspace);
    // Some platforms attach a character to these; they still type nothing.
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return std::nullopt;
    default:
        break;
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    // Alt with a key is a menu's accelerator, not typing.
    if (modifiers.testFlag(Qt::AltModifier) && !control)
        return std::nullopt;
    if (control && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return QChar(char16_t(event.key() - Qt::Key_A + 1));
    const QString text = event.text();
    if (text.isEmpty())
        return std::nullopt;
    return text.front();
}

bool KeyFilterInstaller::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const std::optional<Field> field = fieldOf(watched);
        const std::optional<QChar> typed = typedChar(*static_cast<QKeyEvent *>(event));
        // Dropped silently: the field does not change and no rule runs.
        if (field && typed && !acceptsTypedChar(*field, *typed))
            return true;
    } else if (event->type() == QEvent::InputMethod) {
        // An input method commits what the person typed through it: the
        // same characters are dropped as from the keyboard.
        auto *input = static_cast<QInputMethodEvent *>(event);
        const std::optional<Field> field = fieldOf(watched);
        if (field && !input->commitString().isEmpty()) {
            QString kept;
            for (const QChar c : input->commitString()) {
                if (acceptsTypedChar(*field, c))
                    kept.append(c);
            }
            if (kept != input->commitString())
                input->setCommitString(kept, input->replacementStart(), input->replacementLength());
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kvmt
