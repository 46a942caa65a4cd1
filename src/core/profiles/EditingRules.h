#pragma once

#include "profiles/DependentControls.h"
#include "profiles/FieldRules.h"

namespace kvmt {

class UserPrompts;
struct TrackerIdentity;

// Installs the editing rules on the settings model for as long as it lives:
// the field bounds and the dependent controls. Which characters may be
// typed is the window's business (acceptsTypedChar), as only typing is
// filtered.
class EditingRules
{
public:
    EditingRules(DeviceSettings &settings, const TrackerIdentity &identity, UserPrompts &prompts)
        : m_fields(settings, prompts)
        , m_dependents(settings, identity)
    {
    }

    DependentControls &dependents() { return m_dependents; }

private:
    FieldRules m_fields;
    DependentControls m_dependents;
};

} // namespace kvmt
