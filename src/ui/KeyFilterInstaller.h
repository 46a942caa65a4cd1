#pragma once

#include <QChar>
#include <QObject>

#include <optional>

#include "settings/DeviceSettings.h"

class QKeyEvent;

namespace kvmt {

class SettingsBinder;

// Drops, as they are typed, the characters a field refuses. Only typing is
// filtered: a paste (Ctrl+V, the context menu), the up-down arrows and keys
// that type nothing (Delete, the arrows, Tab) reach the field as they are,
// and whatever reaches it is then the field's change rule's business.
class KeyFilterInstaller : public QObject
{
    Q_OBJECT

public:
    // Watches every bound edit whose field has a filter.
    explicit KeyFilterInstaller(const SettingsBinder &binder, QObject *parent = nullptr);

    int watchedCount() const { return m_watched; }

    // The character a key press types into a field; nothing for a key that
    // types none. Ctrl with a letter types the letter's control character
    // (Ctrl+C is 3) whatever text the platform attaches to the event.
    static std::optional<QChar> typedChar(const QKeyEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_watched = 0;
};

} // namespace kvmt
