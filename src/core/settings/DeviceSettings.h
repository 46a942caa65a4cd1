#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "settings/SettingsFields.h"

namespace kvmt {

enum class Field : int {
#define KVMT_FIELD_ENUM(name, ...) name,
    KVMT_SETTINGS_FIELDS(KVMT_FIELD_ENUM, KVMT_FIELD_ENUM, KVMT_FIELD_ENUM, KVMT_FIELD_ENUM, KVMT_FIELD_ENUM)
#undef KVMT_FIELD_ENUM
    Count
};
inline constexpr int kFieldCount = int(Field::Count);

enum class FieldKind { Text, Flag, Radio, Choice, Control };

enum class RadioGroup { None, SmsMode, ServerMode, SmtpMode, MapFormat };

struct FieldInfo {
    const char *name;
    FieldKind kind;
    int limit;           // characters the user may type; 0: no limit
    RadioGroup group;
    const char16_t *designText;
};

// The tracker's settings as the window shows them: one member per control,
// named after the control, with the control's shown and enabled state.
//
// Setting a member by program runs the same rule as the user's own edit
// would: a text member's change rule when the text differs, a flag's click
// rule when its state changes, a radio button's click rule when it becomes
// set. A choice runs nothing. Rules are installed with setRule(); the
// window is only a view of this object and follows fieldChanged().
class DeviceSettings : public QObject
{
    Q_OBJECT

public:
    using Rule = std::function<void()>;

    explicit DeviceSettings(QObject *parent = nullptr);

    static const FieldInfo &info(Field field);
    static QString name(Field field);
    static std::optional<Field> fieldByName(QStringView name);

    QString text(Field field) const;
    void setText(Field field, const QString &text);

    // Flags and radio buttons. Setting a radio button clears the others of
    // its group; clearing one leaves the group without a set button.
    bool isChecked(Field field) const;
    void setChecked(Field field, bool checked);

    // Choices: the selected item, -1 for none. An index the list does not
    // hold leaves the list without selection.
    int index(Field field) const;
    void setIndex(Field field, int index);
    QStringList items(Field field) const;
    // The member's value as one text, whatever its kind: a text as it
    // stands, a flag or radio button as "1" or "0", a choice as its index;
    // empty for a control.
    QString valueText(Field field) const;
    // Sets item i, appending when the list is shorter; truncate() drops the
    // items from `count` on.
    void setItem(Field field, int i, const QString &text);
    void truncateItems(Field field, int count);

    bool isVisible(Field field) const;
    void setVisible(Field field, bool visible);
    bool isEnabled(Field field) const;
    void setEnabled(Field field, bool enabled);
    // Top edge in its parent, in design pixels; -1 keeps the design position.
    int top(Field field) const;
    void setTop(Field field, int top);
    // Whether a text member's control hides what it holds behind "*".
    bool isMasked(Field field) const;
    void setMasked(Field field, bool masked);

    void setRule(Field field, Rule rule);
    // Runs a member's rule as if it had changed (the sequences call some
    // click rules after a key whether or not anything changed).
    void runRule(Field field);

signals:
    void fieldChanged(kvmt::Field field);

private:
    struct State {
        QString text;
        bool checked = false;
        int index = -1;
        QStringList items;
        bool visible = true;
        bool enabled = true;
        int top = -1;
        bool masked = false;
        Rule rule;
    };

    State &state(Field field) { return m_states[size_t(field)]; }
    const State &state(Field field) const { return m_states[size_t(field)]; }
    void applyDesignState();
    // Sets one piece of a member's state and tells the view, when it changes.
    template<typename T>
    void assignState(Field field, T State::*member, const T &value)
    {
        T &slot = state(field).*member;
        if (slot == value)
            return;
        slot = value;
        emit fieldChanged(field);
    }

    std::vector<State> m_states;
};

// Shorthand for the rules and sequences, which name members all the time.
using F = Field;

// The device and master passwords of the "Security" page: masked unless the
// person asks to see them.
inline constexpr std::array kPasswordFields = {F::Passw, F::NewPassM, F::OldPass_, F::NewPass_, F::edMasterPass};

} // namespace kvmt
