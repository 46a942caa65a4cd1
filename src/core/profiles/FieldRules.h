#pragma once

#include <QString>

#include <optional>

#include "settings/DeviceSettings.h"

namespace kvmt {

class UserPrompts;

// The change rules of the numeric fields: after every change of such a
// field's text, by whomever, a value beyond the field's bounds is replaced
// by the bound. Some bounds depend on the operating profile selected and on
// the channel's mode; picking a profile does not re-check what the fields
// already hold. A replacement is a change too and runs the rule once more,
// which then finds nothing to correct.
//
// An empty field is never corrected. A text that is no 32-bit decimal
// integer is left as it stands and the person is told; nothing else about
// these rules ever shows a message.
class FieldRules
{
public:
    FieldRules(DeviceSettings &settings, UserPrompts &prompts);
    ~FieldRules();

    FieldRules(const FieldRules &) = delete;
    FieldRules &operator=(const FieldRules &) = delete;

    // The message shown for a text that is no integer.
    static QString notAnIntegerMessage(const QString &text);

private:
    void install();

    // The changed field's own number: nothing for an empty text, nothing and
    // a message for a text that is no integer.
    std::optional<int> ownNumber(Field field);
    // A number another field holds; nothing when it holds none.
    std::optional<int> numberIn(Field field) const;
    void capAt(Field field, int value, int limit);
    void raiseTo(Field field, int value, int floor);
    int profile() const;

    void channelHours(Field hours, Field timeMode, int value, int periodLimit);
    void modeRecheck(Field hours);
    void gpsHours();
    void gpsMinutes();
    void shortGpsPeriod();
    void onLineTime();
    void timeZone();

    DeviceSettings &m_settings;
    UserPrompts &m_prompts;
};

} // namespace kvmt
