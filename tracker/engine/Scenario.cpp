#include "Scenario.h"

#include "KeyTable.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace kvtracker {

namespace {

std::string trimmed(const std::string &s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::optional<long> parseLong(const std::string &text)
{
    const std::string t = trimmed(text);
    if (t.empty())
        return std::nullopt;
    std::size_t i = t[0] == '-' ? 1 : 0;
    if (i == t.size())
        return std::nullopt;
    long value = 0;
    for (; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i])) || value > 100000000L)
            return std::nullopt;
        value = value * 10 + (t[i] - '0');
    }
    return t[0] == '-' ? -value : value;
}

std::optional<bool> parseBool(const std::string &text)
{
    const std::string t = upper(trimmed(text));
    if (t == "1" || t == "TRUE" || t == "YES" || t == "ON")
        return true;
    if (t == "0" || t == "FALSE" || t == "NO" || t == "OFF")
        return false;
    return std::nullopt;
}

std::set<std::string> keySet(const std::string &text)
{
    std::set<std::string> keys;
    for (const auto &item : splitList(text))
        if (!item.empty())
            keys.insert(upper(item));
    return keys;
}

} // namespace

std::vector<std::string> splitList(const std::string &text, char separator)
{
    std::vector<std::string> items;
    std::string current;
    for (char c : text) {
        if (c == separator) {
            items.push_back(trimmed(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty() || !items.empty())
        items.push_back(trimmed(current));
    return items;
}

Scenario Scenario::fromIni(const IniFile &ini)
{
    Scenario s;
    for (const auto &problem : ini.errors())
        s.problems.push_back(problem);

    auto text = [&](const char *key, std::string &target) {
        if (auto v = ini.value("tracker", key))
            target = *v;
    };
    auto flag = [&](const char *key, bool &target) {
        if (auto v = ini.value("tracker", key)) {
            if (auto b = parseBool(*v))
                target = *b;
            else
                s.problems.push_back(std::string("[tracker] ") + key + ": expected 0 or 1, got \"" + *v + "\"");
        }
    };
    auto number = [&](const char *key, long low, long high) -> std::optional<long> {
        const auto v = ini.value("tracker", key);
        if (!v)
            return std::nullopt;
        const auto n = parseLong(*v);
        if (!n || *n < low || *n > high) {
            s.problems.push_back(std::string("[tracker] ") + key + ": expected a number from " + std::to_string(low)
                                 + " to " + std::to_string(high) + ", got \"" + *v + "\"");
            return std::nullopt;
        }
        return n;
    };

    text("serial", s.serial);
    s.serial = trimmed(s.serial);
    if (s.serial.empty()) {
        s.problems.push_back("[tracker] serial: empty, 5001500 used");
        s.serial = "5001500";
    }
    text("version", s.version);
    s.version = trimmed(s.version);
    flag("accelerometer", s.accelerometer);
    flag("protected", s.protection);
    text("password", s.password);
    text("master", s.master);
    if (auto n = number("latency_ms", 0, 60000))
        s.latencyMs = static_cast<unsigned>(*n);
    flag("silence_waits", s.silenceWaits);
    if (auto v = ini.value("tracker", "silent"))
        s.silent = keySet(*v);
    if (auto v = ini.value("tracker", "wrong"))
        s.wrong = keySet(*v);
    if (auto v = ini.value("tracker", "no_cmd"))
        s.noCmd = keySet(*v);
    if (auto v = ini.value("tracker", "text_limits")) {
        for (const auto &item : splitList(*v)) {
            if (item.empty())
                continue;
            const auto colon = item.find(':');
            const std::string key = upper(trimmed(item.substr(0, colon)));
            const KeyRule *rule = findSettingKey(key);
            const long length = colon == std::string::npos ? -1 : parseLong(item.substr(colon + 1)).value_or(-1);
            if (!rule || rule->kind != KeyKind::Text || length < 0
                || static_cast<std::size_t>(length) > rule->maxLength) {
                s.problems.push_back("[tracker] text_limits: \"" + item
                                     + "\" is not KEY:N with a text key and N up to its usual length");
                continue;
            }
            s.textLimits[key] = static_cast<std::size_t>(length);
        }
    }
    if (auto n = number("answer_limit", 0, 100000000))
        s.answerLimit = static_cast<unsigned>(*n);
    if (auto v = ini.value("tracker", "fault")) {
        static const std::map<std::string, Fault> kinds = {
            {"SILENT", Fault::Silent}, {"GARBAGE", Fault::Garbage}, {"DEVLOCK", Fault::Devlock},
            {"UNPLUG", Fault::Unplug}};
        const auto kind = kinds.find(upper(trimmed(*v)));
        if (kind != kinds.end())
            s.fault = kind->second;
        else
            s.problems.push_back("[tracker] fault: expected silent, garbage, devlock or unplug, got \"" + *v + "\"");
    }
    if (auto n = number("fault_at", 1, 100000000))
        s.faultAt = static_cast<unsigned>(*n);
    if (auto n = number("fault_count", 1, 100000000))
        s.faultCount = static_cast<unsigned>(*n);
    // Half a fault description would plug a tracker that quietly behaves.
    if ((s.fault == Fault::None) != (s.faultAt == 0))
        s.problems.push_back("[tracker] fault and fault_at: each needs the other");
    flag("trace", s.trace);
    flag("lock_reads", s.lockReads);
    flag("readprofile_activates", s.readProfileActivates);
    flag("debug_port", s.debugPort);
    if (auto n = number("battery_mv", 0, 65535))
        s.batteryMv = static_cast<int>(*n);
    if (auto n = number("temperature", -60, 125))
        s.temperature = static_cast<int>(*n);
    if (s.firmware() == 0)
        s.problems.push_back("[tracker] version: \"" + s.version + "\" is not of the form KVMT-1.44");

    auto stages = [&](const char *key, std::vector<std::string> &target) {
        const auto v = ini.value("tests", key);
        if (!v)
            return;
        std::vector<std::string> items;
        for (const auto &item : splitList(*v)) {
            if (item.empty())
                continue;
            if (item.find(':') == std::string::npos || item.find(';') != std::string::npos) {
                s.problems.push_back(std::string("[tests] ") + key + ": \"" + item + "\" is not STAGE:RESULT");
                continue;
            }
            items.push_back(item);
        }
        if (!items.empty())
            target = items;
    };
    stages("smtp", s.smtpTest);
    stages("sms", s.smsTest);
    stages("srv", s.srvTest);

    if (const auto *settings = ini.section("settings"))
        s.settings = *settings;
    for (int p = 0; p < ProfileCount; ++p)
        if (const auto *profile = ini.section("profile" + std::to_string(p)))
            s.profiles[static_cast<std::size_t>(p)] = *profile;
    return s;
}

Scenario Scenario::fromFile(const std::string &path)
{
    const auto ini = IniFile::load(path);
    if (!ini) {
        Scenario s;
        s.problems.push_back("cannot read " + path);
        return s;
    }
    return fromIni(*ini);
}

std::string Scenario::defaultText()
{
    return "[tracker]\n"
           "serial=5001500\n"
           "version=KVMT-1.44\n"
           "accelerometer=1\n"
           "protected=0\n"
           "password=1234\n"
           "master=ABCDEFGHIJKLMNOP\n";
}

int Scenario::firmware() const
{
    int major = 0;
    int minor = 0;
    if (std::sscanf(version.c_str(), "KVMT-%d.%d", &major, &minor) != 2)
        return 0;
    return major * 100 + minor;
}

std::string Scenario::deviceName() const
{
    std::string name = "KVMT " + serial;
    if (name.size() > 21)
        name.resize(21);
    return name;
}

} // namespace kvtracker
