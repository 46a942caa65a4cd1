#include "KeyTable.h"

#include <algorithm>

namespace kvtracker {

namespace {

constexpr long MaxPeriodHours = 648; // 27 days, the longest period the firmware keeps

KeyRule text(std::string_view name, std::size_t limit, int firmware = 0)
{
    return KeyRule{name, KeyKind::Text, KeyScope::Global, firmware, limit, {}};
}

KeyRule numbers(std::string_view name, std::vector<ItemRange> items, int firmware = 0,
                KeyScope scope = KeyScope::Global)
{
    return KeyRule{name, KeyKind::Numbers, scope, firmware, 0, std::move(items)};
}

KeyRule flag(std::string_view name, int firmware = 0, KeyScope scope = KeyScope::Global)
{
    return numbers(name, {{0, 1}}, firmware, scope);
}

KeyRule special(std::string_view name, int firmware = 0, KeyScope scope = KeyScope::Global)
{
    return KeyRule{name, KeyKind::Special, scope, firmware, 0, {}};
}

std::vector<KeyRule> buildTable()
{
    const ItemRange hours{0, MaxPeriodHours};
    const ItemRange minutes{0, 59};
    const ItemRange mode{0, 255}; // only bit 0 means something; the rest is kept
    const ItemRange bit{0, 1};
    const ItemRange profile{0, 6, true};
    const KeyScope perProfile = KeyScope::Profile;
    // Text limits are those of the firmware's fields; longer values are cut,
    // and the echo shows the cut value.
    return {
        special("ACCLEN"),
        text("GSMPIN", 4),
        text("GSMAPN", 31),
        text("GSMAPNPASS", 31),
        text("GSMAPNUSER", 31),
        numbers("CHANGEPROFILEONCALL", {bit, profile}, 144),
        text("SERVER", 31),
        text("SERVERPORT", 5),
        text("SERVERPASS", 31),
        flag("SERVEREN", 0, perProfile),
        numbers("SERVERPERIOD", {hours, minutes, mode}, 0, perProfile),
        flag("SMTPSSLEN"),
        text("SMTPSERVER", 31),
        text("SMTPPORT", 5),
        text("SMTPLOGIN", 31),
        text("SMTPPASS", 31),
        text("SMTPFROM", 31),
        text("SMTPTO1", 31),
        text("SMTPTO2", 31),
        text("SMTPTO3", 31),
        text("SMTPTO4", 31),
        flag("SMTPEN", 0, perProfile),
        numbers("SMTPPERIOD", {hours, minutes, mode}, 0, perProfile),
        flag("TRUSTNUMBER"),
        text("SMSNUMBER1", 16),
        text("SMSNUMBER2", 16),
        text("SMSNUMBER3", 16),
        text("SMSGATE", 16),
        special("SMSEN", 0, perProfile),
        numbers("SMSPERIOD", {hours, minutes, mode}, 0, perProfile),
        text("DEVNAME", 8),
        numbers("DELAYOFF", {{0, 255}}),
        numbers("MAPFORMAT", {{0, 2}}),
        text("MAPTEMPLATE1", 96, 132),
        text("MAPTEMPLATE2", 96, 132),
        flag("LBSDISABLE", 132),
        flag("INDOFF"),
        flag("DEBUGINFO"),
        flag("DATAWITHUSB"),
        special("BALANCENUM"),
        text("BALANCELEVEL", 15),
        numbers("ACCLSENSELEV", {{0, 4}}, 122),
        flag("FASTMOVEDETECT", 122),
        numbers("ACCLSETUPSEND", {bit, bit, bit}),
        text("ACCLSENSETIMEOUT", 15, 122),
        numbers("ACCLACTIVTIME", {{0, 23}, minutes, {0, 23}, minutes}, 122),
        flag("ACCLALARMCALL", 144),
        numbers("CHANGEPROFILE", {profile}),
        flag("GPSEN", 0, perProfile),
        numbers("GPSPERIOD", {hours, minutes}, 0, perProfile),
        // Latitude and longitude in micro-degrees, radius in metres, five
        // channel and direction bits.
        numbers("SETCP", {bit, {-90000000, 90000000}, {-180000000, 180000000}, {0, 99999999}, {0, 31}}),
        special("SETTIME"),
    };
}

} // namespace

const std::vector<KeyRule> &settingKeys()
{
    static const std::vector<KeyRule> table = buildTable();
    return table;
}

const KeyRule *findSettingKey(std::string_view name)
{
    const auto &table = settingKeys();
    const auto it = std::find_if(table.begin(), table.end(), [&](const KeyRule &k) { return k.name == name; });
    return it == table.end() ? nullptr : &*it;
}

std::optional<long> parseWholeNumber(std::string_view text)
{
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        i = 1;
    if (i == text.size() || text.size() - i > 10)
        return std::nullopt;
    long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

std::optional<std::string> normaliseNumbers(const KeyRule &rule, std::string_view value, int lastProfile)
{
    std::string out;
    std::size_t start = 0;
    for (std::size_t item = 0; item < rule.items.size(); ++item) {
        const auto comma = value.find(',', start);
        const bool last = item + 1 == rule.items.size();
        if (last != (comma == std::string_view::npos))
            return std::nullopt; // too few or too many items
        const auto piece = value.substr(start, last ? std::string_view::npos : comma - start);
        const auto n = parseWholeNumber(piece);
        const ItemRange &range = rule.items[item];
        const long high = range.profileIndex ? lastProfile : range.high;
        if (!n || *n < range.low || *n > high)
            return std::nullopt;
        if (item)
            out += ',';
        out += std::to_string(*n);
        start = comma + 1;
    }
    return out;
}

} // namespace kvtracker
