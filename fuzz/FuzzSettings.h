#pragma once

#include "settings/DeviceSettings.h"

#include <cstdio>
#include <vector>

namespace kvmt::fuzz {

// Every member's value: text, check mark and selection. Shown and enabled
// states are left out: a read after a tracker's NO_CMD shows again what that
// answer hid, as it should. Texts are shared, not copied, so taking one per
// run stays cheap.
struct MemberValues {
    std::vector<QString> texts;
    std::vector<int> marks; // checked, then index, per member

    friend bool operator==(const MemberValues &, const MemberValues &) = default;
};

inline MemberValues memberValues(const DeviceSettings &settings)
{
    MemberValues values;
    values.texts.reserve(size_t(kFieldCount));
    values.marks.reserve(2 * size_t(kFieldCount));
    for (int i = 0; i < kFieldCount; ++i) {
        const Field f = Field(i);
        values.texts.push_back(settings.text(f));
        values.marks.push_back(settings.isChecked(f));
        values.marks.push_back(settings.index(f));
    }
    return values;
}

// True when equal; otherwise prints the members that differ, for the report.
inline bool sameValues(const MemberValues &expected, const MemberValues &actual)
{
    if (expected == actual)
        return true;
    for (size_t i = 0; i < size_t(kFieldCount); ++i) {
        if (expected.texts[i] != actual.texts[i] || expected.marks[2 * i] != actual.marks[2 * i]
            || expected.marks[2 * i + 1] != actual.marks[2 * i + 1])
            std::fprintf(stderr, "member %s differs: \"%s\" %d %d -> \"%s\" %d %d\n",
                         qUtf8Printable(DeviceSettings::name(Field(i))), qUtf8Printable(expected.texts[i]),
                         expected.marks[2 * i], expected.marks[2 * i + 1], qUtf8Printable(actual.texts[i]),
                         actual.marks[2 * i], actual.marks[2 * i + 1]);
    }
    return false;
}

} // namespace kvmt::fuzz
