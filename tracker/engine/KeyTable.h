// The settings keys a tracker knows, with the value syntax it accepts and the
// firmware version that brought each key.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvtracker {

enum class KeyKind {
    Text,    // stored byte for byte, cut to maxLength
    Numbers, // comma-separated whole numbers, each within its range
    Special  // handled by the tracker itself (composite or computed values)
};

enum class KeyScope {
    Global,
    Profile // answered for the profile chosen with READPROFILE
};

struct ItemRange
{
    long low = 0;
    long high = 0;
    bool profileIndex = false; // high is the last profile of the firmware
};

struct KeyRule
{
    std::string_view name;
    KeyKind kind = KeyKind::Text;
    KeyScope scope = KeyScope::Global;
    int minFirmware = 0;
    std::size_t maxLength = 0;
    std::vector<ItemRange> items;
};

const KeyRule *findSettingKey(std::string_view name);
const std::vector<KeyRule> &settingKeys();

// Whole decimal number with an optional minus sign, nothing else.
std::optional<long> parseWholeNumber(std::string_view text);

// Validates a Numbers value and writes it back without leading zeros, or
// gives nothing when an item is missing, not a number or out of range.
std::optional<std::string> normaliseNumbers(const KeyRule &rule, std::string_view value, int lastProfile);

} // namespace kvtracker
