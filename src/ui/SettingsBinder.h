#pragma once

#include <QObject>

#include <functional>
#include <vector>

#include "settings/DeviceSettings.h"

class QLabel;
class QWidget;

namespace kvmt {

// Binds the window's controls to the settings model by object name: each
// member's control shows the member's value and state, and the user's own
// edits (textEdited, clicked, activated: never the program's) go back into
// the model, where the same rules run as for a change by program.
class SettingsBinder : public QObject
{
    Q_OBJECT

public:
    SettingsBinder(DeviceSettings &settings, QWidget *root, QObject *parent = nullptr);

    // Called after the user picked an item of a list (the model is already
    // updated): the profile list starts a profile change.
    void onUserChoice(Field field, std::function<void()> action);
    // Told the message when an edit arrives whole (a paste, a drop) holding
    // what no value may hold; the field then keeps its value.
    void onRefusedText(std::function<void(const QString &message)> tell) { m_tellRefusal = std::move(tell); }
    // Members that have a control in the window (tests check completeness).
    int boundCount() const;
    QWidget *widgetFor(Field field) const { return m_widgets[size_t(field)]; }
    // What names the field to the person: a check box or radio button's own
    // text, else the caption on its row; nullptr when it has none.
    QWidget *captionWidget(Field field) const;

private:
    void bind(Field field, QWidget *widget);
    void refresh(Field field);
    // The caption the person sees beside a field, else the field's name.
    QString captionFor(Field field) const;
    const QLabel *captionLabel(Field field) const;

    DeviceSettings &m_settings;
    std::vector<QWidget *> m_widgets;
    std::vector<std::function<void()>> m_choiceActions;
    std::function<void(const QString &)> m_tellRefusal;
};

} // namespace kvmt
