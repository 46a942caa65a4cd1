#pragma once

#include <initializer_list>
#include <span>

#include "settings/DeviceSettings.h"

namespace kvmt {

struct TrackerIdentity;

// The click rules of the switches that enable or disable other controls, so
// that a setting a switched-off feature does not use cannot be edited. They
// act on the model's enabled state only and run whenever a switch changes,
// by the user or by the program; the sequences also run some of them
// explicitly to bring an unchanged switch into line.
class DependentControls
{
public:
    // The map template rules depend on the firmware of the tracker
    // identified last, read when a rule runs.
    DependentControls(DeviceSettings &settings, const TrackerIdentity &identity);
    ~DependentControls();

    DependentControls(const DependentControls &) = delete;
    DependentControls &operator=(const DependentControls &) = delete;

    // Every control placed directly in the group box, labels included; the
    // group box itself keeps its state.
    void setGroupChildrenEnabled(Field group, bool enabled);
    // The controls placed directly in a group box that a rule works through.
    static std::span<const Field> groupChildren(Field group);

private:
    void install();
    void enableWithSwitch(Field sw, std::initializer_list<Field> dependents);
    void applyMapTemplate(Field selected);

    DeviceSettings &m_settings;
    const TrackerIdentity &m_identity;
};

} // namespace kvmt
