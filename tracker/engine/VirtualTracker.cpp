#include "VirtualTracker.h"

#include "KeyTable.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace kvtracker {

namespace fs = std::filesystem;

namespace {

constexpr const char *NoCommand = "NO_CMD";
constexpr const char *DeviceLocked = "DEVLOCK;";
// Key under which the SMS gateway switch (second item of SMSEN) is kept; the
// first item belongs to the profile.
constexpr const char *SmsGatewayKey = "SMSEN.GATE";

std::string reply(const std::string &key, const std::string &value)
{
    return key + "=" + value + ";";
}

std::string wrong(const std::string &key)
{
    return "WRONG=" + key + ";";
}

bool isPassword(const std::string &text)
{
    if (text.size() != 4)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

const std::map<std::string, std::string> &factoryGlobals()
{
    static const std::map<std::string, std::string> values = {
        {"ACCLEN", "1"},
        {"GSMPIN", "\xFF\xFF\xFF\xFF"},
        {"GSMAPN", "internet.volna-gsm.ru"},
        {"GSMAPNUSER", "gdata"},
        {"GSMAPNPASS", "gdata"},
        {"CHANGEPROFILEONCALL", "0,4"},
        {"SERVER", "track.korvel-mt.ru"},
        {"SERVERPORT", "2225"},
        {"SERVERPASS", "trkpassw"},
        {"SMTPSSLEN", "0"},
        {"SMTPSERVER", "smtp.korvel-mt.ru"},
        {"SMTPPORT", "25"},
        {"SMTPLOGIN", "tracker"},
        {"SMTPPASS", "mailpass"},
        {"SMTPFROM", "tracker@korvel-mt.ru"},
        {"SMTPTO1", "dispatch@korvel-mt.ru"},
        {"SMTPTO2", ""},
        {"SMTPTO3", ""},
        {"SMTPTO4", ""},
        {"TRUSTNUMBER", "0"},
        {"SMSNUMBER1", "+79161234567"},
        {"SMSNUMBER2", ""},
        {"SMSNUMBER3", ""},
        {"SMSGATE", "+79168999100"},
        {SmsGatewayKey, "0"},
        {"DEVNAME", "KVMT"},
        {"DELAYOFF", "5"},
        {"MAPFORMAT", "0"},
        {"MAPTEMPLATE1", "http://maps.google.com/maps?q=%LAT%,%LON%"},
        {"MAPTEMPLATE2", "http://maps.yandex.ru/?text=%LAT%,%LON%"},
        {"LBSDISABLE", "0"},
        {"INDOFF", "0"},
        {"DEBUGINFO", "0"},
        {"DATAWITHUSB", "0"},
        {"BALANCENUM", "*100#,0,0"},
        {"BALANCELEVEL", "50"},
        {"ACCLSENSELEV", "2"},
        {"FASTMOVEDETECT", "0"},
        {"ACCLSETUPSEND", "1,0,0"},
        {"ACCLSENSETIMEOUT", "5"},
        {"ACCLACTIVTIME", "0,0,23,59"},
        {"ACCLALARMCALL", "0"},
        {"CHANGEPROFILE", "5"},
        {"SETCP", "0,55755826,37617300,500,3"},
    };
    return values;
}

// GPSEN, GPSPERIOD, SMSEN (first item), SMSPERIOD, SERVEREN, SERVERPERIOD,
// SMTPEN, SMTPPERIOD of each profile as the tracker leaves the factory.
const std::array<std::map<std::string, std::string>, ProfileCount> &factoryProfiles()
{
    auto profile = [](const char *gpsEn, const char *gps, const char *smsEn, const char *sms, const char *srvEn,
                      const char *srv, const char *smtpEn, const char *smtp) {
        return std::map<std::string, std::string>{
            {"GPSEN", gpsEn},       {"GPSPERIOD", gps},    {"SMSEN", smsEn},   {"SMSPERIOD", sms},
            {"SERVEREN", srvEn},    {"SERVERPERIOD", srv}, {"SMTPEN", smtpEn}, {"SMTPPERIOD", smtp},
        };
    };
    static const std::array<std::map<std::string, std::string>, ProfileCount> values = {
        profile("1", "24,0", "0", "1,0,0", "0", "24,0,0", "0", "8,0,1"), // SLP
        profile("0", "1,0", "1", "9,0,1", "0", "24,0,0", "0", "8,0,1"),  // CAR
        profile("0", "1,0", "1", "6,0,0", "1", "6,0,0", "0", "8,0,1"),   // CRG
        profile("1", "0,30", "0", "1,0,0", "1", "1,0,0", "0", "8,0,1"),  // TKR
        profile("0", "1,0", "1", "0,15,0", "1", "0,5,0", "0", "8,0,1"),  // SRH
        profile("1", "0,30", "1", "1,0,0", "1", "24,0,0", "0", "8,0,1"), // USR1
        profile("0", "1,0", "0", "1,0,0", "0", "24,0,0", "0", "8,0,1"),  // USR2
    };
    return values;
}

std::vector<std::string> defaultStages(int test)
{
    switch (test) {
    case 0:
        return {"GSM:OK", "GPRS:OK", "SMTP_CON:OK", "TEST_SMTP:OK", "ENDED:OK"};
    case 1:
        return {"GSM:OK", "TEST_SMS:OK", "ENDED:OK"};
    default:
        return {"GSM:OK", "GPRS:OK", "SRV_CON:OK", "ENDED:OK"};
    }
}

} // namespace

std::string safeFileName(const std::string &text)
{
    std::string out;
    for (char c : text) {
        const bool safe = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-'
                          || c == '_' || c == '.';
        out += safe ? c : '_';
    }
    if (out.empty() || out[0] == '.')
        out.insert(out.begin(), '_');
    return out;
}

std::string traceText(const std::string &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += c;
        } else {
            out += "\\x";
            out += digits[byte >> 4];
            out += digits[byte & 0x0F];
        }
    }
    return out;
}

VirtualTracker::VirtualTracker(Scenario scenario, std::string home, Clock clock)
    : scenario_(std::move(scenario)),
      home_(std::move(home)),
      clock_(clock ? std::move(clock) : Clock([] { return std::chrono::system_clock::now(); })),
      firmware_(scenario_.firmware()),
      protection_(scenario_.protection),
      password_(scenario_.password)
{
    tests_[0].stages = scenario_.smtpTest.empty() ? defaultStages(0) : scenario_.smtpTest;
    tests_[1].stages = scenario_.smsTest.empty() ? defaultStages(1) : scenario_.smsTest;
    tests_[2].stages = scenario_.srvTest.empty() ? defaultStages(2) : scenario_.srvTest;
    loadFactorySettings();
    applyScenarioSettings();
    loadFlash();
    // The profile the per-profile keys answer for starts as the active one.
    viewProfile_ = static_cast<int>(parseWholeNumber(global_["CHANGEPROFILE"]).value_or(0));
    if (viewProfile_ < 0 || viewProfile_ > lastProfile())
        viewProfile_ = 0;
}

std::string VirtualTracker::flashPath() const
{
    return home_.empty() ? std::string() : home_ + "/flash/" + safeFileName(scenario_.serial) + ".ini";
}

std::string VirtualTracker::tracePath() const
{
    return home_.empty() ? std::string() : home_ + "/trace/" + safeFileName(scenario_.serial) + ".log";
}

std::string garbageReply(const std::string &command, unsigned n)
{
    // xorshift32 seeded by the exchange number: the same run gives the same
    // bytes, so a failure found once is found again.
    std::uint32_t state = 0x9E3779B9u ^ (n * 2654435761u);
    if (state == 0)
        state = 1;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    // Around the configurator's 63-byte fields and 539-byte reads.
    static constexpr std::size_t lengths[] = {1, 9, 63, 64, 200, 539, 540, 1500};
    std::string body(lengths[(n / 3) % std::size(lengths)], '\0');
    for (char &c : body)
        c = static_cast<char>(next() & 0xFF);
    static constexpr char awkward[] = {'\0', '\xFF', ';', '='};
    const std::size_t quarter = body.size() / std::size(awkward);
    if (quarter > 0)
        for (std::size_t i = 0; i < std::size(awkward); ++i)
            body[i * quarter + next() % quarter] = awkward[i];
    // Shapes: bare bytes, bytes under the key asked for, bytes after a bare '='.
    switch (n % 3) {
    case 0:
        return body;
    case 1:
        return command.substr(0, command.find('=')) + "=" + body + ";";
    default:
        return "=" + body;
    }
}

bool VirtualTracker::faultActive() const
{
    return scenario_.fault != Fault::None && exchanges_ >= scenario_.faultAt
           && exchanges_ - scenario_.faultAt < scenario_.faultCount;
}

std::optional<std::string> VirtualTracker::exchange(const std::string &command)
{
    if (vanished_)
        return std::nullopt;
    ++exchanges_;
    silenceIsFault_ = faultActive();
    if (faultActive() && scenario_.fault == Fault::Unplug) {
        // Gone before the command arrived: nothing traced, nothing answered.
        vanished_ = true;
        return std::nullopt;
    }
    trace('>', command);
    std::optional<std::string> answer;
    if (!faultActive()) {
        if (scenario_.answerLimit && exchanges_ > *scenario_.answerLimit)
            return std::nullopt;
        answer = respond(command);
    } else if (scenario_.fault == Fault::Garbage) {
        answer = garbageReply(command, exchanges_);
    } else if (scenario_.fault == Fault::Devlock) {
        answer = DeviceLocked;
    }
    if (answer) {
        trace('<', *answer);
        debug("USB: " + traceText(command) + " -> " + traceText(*answer));
    }
    return answer;
}

std::optional<std::string> VirtualTracker::respond(const std::string &command)
{
    if (command == "START_BOOT_LOADER" || (!command.empty() && command.back() == '$'))
        return bootLoaderCommand(command);
    // The boot loader does not speak the settings protocol.
    if (bootLoader_)
        return std::nullopt;

    const auto eq = command.find('=');
    if (eq == std::string::npos)
        return NoCommand;
    const std::string key = command.substr(0, eq);
    const auto semicolon = command.rfind(';');
    const bool terminated = semicolon != std::string::npos && semicolon > eq;
    // The value runs to the last ';', as the configurator splits replies:
    // a ';' typed into a text setting is kept and echoed.
    const std::string value = terminated ? command.substr(eq + 1, semicolon - eq - 1) : command.substr(eq + 1);
    const bool query = value == "?";

    if (scenario_.noCmd.count(key))
        return NoCommand;
    if (scenario_.silent.count(key))
        return std::nullopt;

    enum class Family { Identity, Adc, Security, Save, ReadProfile, Test, Close, Setting, Unknown };
    Family family = Family::Unknown;
    const KeyRule *rule = findSettingKey(key);
    if (rule)
        family = Family::Setting;
    else if (key == "NUMBER" || key == "VERSION")
        family = Family::Identity;
    else if (key == "ADCINFO")
        family = Family::Adc;
    else if (key == "SECURESETUP" || key == "SECUREOFFTMP" || key == "SECUREPASSCHANGE" || key == "SECURERESET")
        family = Family::Security;
    else if (key == "SAVECONFIG")
        family = Family::Save;
    else if (key == "READPROFILE")
        family = Family::ReadProfile;
    else if (key == "SMTPTEST" || key == "SMSTEST" || key == "SRVTEST")
        family = Family::Test;
    else if (key == "CONFCLOSE")
        family = Family::Close;
    if (family == Family::Unknown)
        return NoCommand;

    if (rule && rule->minFirmware > firmware_)
        return NoCommand;
    // SSL mail came with the hardware revision that starts at this serial.
    if (key == "SMTPSSLEN" && parseWholeNumber(scenario_.serial).value_or(0) < 5001500)
        return NoCommand;

    if (!terminated)
        return wrong(key);

    const bool settingRead = family == Family::Setting || family == Family::ReadProfile;
    const bool guardedChange = !query
                               && (family == Family::Setting || family == Family::Save
                                   || family == Family::ReadProfile || family == Family::Test);
    if (locked() && (guardedChange || (query && settingRead && scenario_.lockReads)))
        return DeviceLocked;

    if (!query && scenario_.wrong.count(key))
        return wrong(key);

    switch (family) {
    case Family::Identity:
        if (!query)
            return wrong(key);
        return reply(key, key == "NUMBER" ? scenario_.serial : scenario_.version);
    case Family::Adc:
        if (!query)
            return wrong(key);
        return reply(key, std::to_string(scenario_.batteryMv) + "," + std::to_string(scenario_.temperature));
    case Family::Security:
        return securityCommand(key, value, query);
    case Family::Save:
        if (query || value != "1")
            return wrong(key);
        debug("FLASH: settings saved");
        return reply(key, saveFlash() ? "1" : "0");
    case Family::ReadProfile: {
        if (query)
            return reply(key, std::to_string(viewProfile_));
        const auto n = parseWholeNumber(value);
        if (!n || *n < 0 || *n > lastProfile())
            return wrong(key);
        viewProfile_ = static_cast<int>(*n);
        if (scenario_.readProfileActivates)
            global_["CHANGEPROFILE"] = std::to_string(*n);
        return reply(key, std::to_string(viewProfile_));
    }
    case Family::Test:
        return testCommand(key == "SMTPTEST" ? Test::Smtp : key == "SMSTEST" ? Test::Sms : Test::Srv, key, value,
                           query);
    case Family::Close:
        if (query)
            return wrong(key);
        // The configurator is gone: the next one must present the password.
        unlocked_ = false;
        return reply(key, value);
    case Family::Setting:
        return settingReply(*rule, value, query);
    case Family::Unknown:
        break;
    }
    return NoCommand;
}

std::optional<std::string> VirtualTracker::bootLoaderCommand(const std::string &command)
{
    if (command == "START_BOOT_LOADER") {
        bootLoader_ = true;
        debug("BOOT: boot loader started");
        return "BOOT_LOADER_OK";
    }
    // The flash unlock code is acknowledged by nothing: the loader only
    // listens. Its queries answer in the loader's own "$" framing.
    if (command.rfind("PROTECTION,", 0) == 0)
        return std::nullopt;
    if (command == "FL_GET_RATE$")
        return "FL_RATE=38400$";
    if (command == "FL_GET_NUM$")
        return "FL_NUM=" + std::to_string(firmware_) + "$";
    if (bootLoader_)
        return std::nullopt;
    return NoCommand;
}

std::string VirtualTracker::settingReply(const KeyRule &rule, const std::string &value, bool query)
{
    const std::string key(rule.name);
    if (query) {
        if (key == "ACCLEN")
            return reply("#ACCLEN", storedValue(rule) + "," + (scenario_.accelerometer ? "1" : "0"));
        return reply(key, storedValue(rule));
    }
    const auto stored = storeSetting(rule, value);
    if (!stored)
        return wrong(key);
    return reply(key, *stored);
}

std::string VirtualTracker::storedValue(const KeyRule &rule) const
{
    const std::string key(rule.name);
    if (key == "SETTIME")
        return clockText();
    if (rule.scope == KeyScope::Profile) {
        const auto &profile = profiles_[static_cast<std::size_t>(viewProfile_)];
        const auto it = profile.find(key);
        std::string value = it == profile.end() ? "0" : it->second;
        if (key == "SMSEN") {
            const auto gate = global_.find(SmsGatewayKey);
            value += "," + (gate == global_.end() ? std::string("0") : gate->second);
        }
        return value;
    }
    const auto it = global_.find(key);
    return it == global_.end() ? std::string() : it->second;
}

std::optional<std::string> VirtualTracker::storeSetting(const KeyRule &rule, const std::string &value)
{
    const std::string key(rule.name);
    auto &profile = profiles_[static_cast<std::size_t>(viewProfile_)];
    switch (rule.kind) {
    case KeyKind::Text: {
        const auto limit = scenario_.textLimits.find(key);
        global_[key] = value.substr(0, limit == scenario_.textLimits.end() ? rule.maxLength : limit->second);
        return global_[key];
    }
    case KeyKind::Numbers: {
        const auto normal = normaliseNumbers(rule, value, lastProfile());
        if (!normal)
            return std::nullopt;
        (rule.scope == KeyScope::Profile ? profile : global_)[key] = *normal;
        return normal;
    }
    case KeyKind::Special:
        break;
    }

    if (key == "ACCLEN") {
        const auto n = parseWholeNumber(value);
        if (!n || *n < 0 || *n > 1)
            return std::nullopt;
        // Without the sensor the firmware cannot switch it on.
        global_[key] = scenario_.accelerometer && *n ? "1" : "0";
        return global_[key];
    }
    if (key == "SMSEN") {
        static const KeyRule twoFlags{"SMSEN", KeyKind::Numbers, KeyScope::Profile, 0, 0, {{0, 1}, {0, 1}}};
        const auto normal = normaliseNumbers(twoFlags, value, lastProfile());
        if (!normal)
            return std::nullopt;
        profile[key] = normal->substr(0, 1);
        global_[SmsGatewayKey] = normal->substr(2, 1);
        return normal;
    }
    if (key == "BALANCENUM") {
        // NUMBER,M,S: the request number may itself hold commas, the two
        // flags are the last items.
        const auto second = value.rfind(',');
        if (second == std::string::npos || second == 0)
            return std::nullopt;
        const auto first = value.rfind(',', second - 1);
        if (first == std::string::npos)
            return std::nullopt;
        const auto m = parseWholeNumber(std::string_view(value).substr(first + 1, second - first - 1));
        const auto s = parseWholeNumber(std::string_view(value).substr(second + 1));
        if (!m || !s || *m < 0 || *m > 1 || *s < 0 || *s > 1)
            return std::nullopt;
        global_[key] = value.substr(0, std::min<std::size_t>(first, 31)) + "," + std::to_string(*m) + ","
                       + std::to_string(*s);
        return global_[key];
    }
    if (key == "SETTIME") {
        if (!setClock(value))
            return std::nullopt;
        return clockText();
    }
    return std::nullopt;
}

std::string VirtualTracker::securityCommand(const std::string &key, const std::string &value, bool query)
{
    if (key == "SECURESETUP") {
        if (query)
            return reply(key, protection_ ? "1" : "0");
        if (locked())
            return DeviceLocked;
        const auto comma = value.find(',');
        const auto state = comma == std::string::npos ? std::nullopt : parseWholeNumber(value.substr(0, comma));
        if (!state || *state < 0 || *state > 1)
            return wrong(key);
        if (value.substr(comma + 1) != password_)
            return reply(key, std::string(protection_ ? "1" : "0") + ",0");
        protection_ = *state != 0;
        // Whoever switched protection on is already past the password.
        unlocked_ = true;
        persistSecurity();
        debug(std::string("SECURITY: protection ") + (protection_ ? "on" : "off"));
        return reply(key, std::string(protection_ ? "1" : "0") + ",1");
    }
    if (query)
        return wrong(key);
    if (key == "SECUREOFFTMP") {
        if (value != password_)
            return reply(key, "0");
        unlocked_ = true;
        return reply(key, "1");
    }
    const auto comma = value.find(',');
    if (comma == std::string::npos)
        return wrong(key);
    const std::string proof = value.substr(0, comma);
    const std::string fresh = value.substr(comma + 1);
    if (key == "SECUREPASSCHANGE") {
        if (locked())
            return DeviceLocked;
        if (proof != password_ || !isPassword(fresh))
            return reply(key, "0");
        password_ = fresh;
        persistSecurity();
        return reply(key, "1");
    }
    // SECURERESET is how a forgotten password is replaced, so it must work
    // while the tracker is locked; the master password is the proof.
    if (proof != scenario_.master || !isPassword(fresh))
        return reply(key, "0");
    password_ = fresh;
    unlocked_ = true;
    persistSecurity();
    return reply(key, "1");
}

std::string VirtualTracker::testCommand(Test test, const std::string &key, const std::string &value, bool query)
{
    TestRun &run = tests_[static_cast<std::size_t>(test)];
    if (query) {
        if (!run.started || run.stages.empty())
            return reply(key, "ENDED:OK");
        const std::string &stage = run.stages[std::min(run.next, run.stages.size() - 1)];
        if (run.next < run.stages.size()) {
            ++run.next;
            debug("TEST: " + key + " " + stage);
        }
        return reply(key, stage);
    }
    if (value == "1") {
        run.started = true;
        run.next = 0;
        debug("TEST: " + key + " started");
        return reply(key, "1");
    }
    if (value == "0") {
        run.started = false;
        return reply(key, "0");
    }
    return wrong(key);
}

std::string VirtualTracker::clockText() const
{
    using namespace std::chrono;
    const auto now = time_point_cast<seconds>(clock_()) + seconds(clockOffsetSeconds_);
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{now - day};
    char text[64];
    if (firmware_ >= 135) {
        std::snprintf(text, sizeof text, "%02d:%02d,%02u.%02u.%04d,%d,%d", static_cast<int>(time.hours().count()),
                      static_cast<int>(time.minutes().count()), static_cast<unsigned>(date.day()),
                      static_cast<unsigned>(date.month()), static_cast<int>(date.year()), timeZone_, summerTime_);
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d,%02u.%02u.%04d,%d", static_cast<int>(time.hours().count()),
                      static_cast<int>(time.minutes().count()), static_cast<unsigned>(date.day()),
                      static_cast<unsigned>(date.month()), static_cast<int>(date.year()), timeZone_);
    }
    return text;
}

bool VirtualTracker::setClock(const std::string &value)
{
    // hour:minute,day.month.year,zone[,summer]; the summer-time item came
    // with firmware 1.35 and is required from then on.
    std::vector<long> items;
    std::string separators;
    std::string token;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        const char c = i < value.size() ? value[i] : '\0';
        if (i < value.size() && c != ':' && c != ',' && c != '.') {
            token += c;
            continue;
        }
        const auto n = parseWholeNumber(token);
        if (!n)
            return false;
        items.push_back(*n);
        token.clear();
        if (i < value.size())
            separators += c;
    }
    const std::size_t expectedCount = firmware_ >= 135 ? 7 : 6;
    if (items.size() != expectedCount || separators != std::string(":,..,,").substr(0, expectedCount - 1))
        return false;
    const long hour = items[0], minute = items[1], zone = items[5];
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || zone < -12 || zone > 14)
        return false;
    if (expectedCount == 7 && (items[6] < 0 || items[6] > 1))
        return false;
    using namespace std::chrono;
    const year_month_day date{year(static_cast<int>(items[4])), month(static_cast<unsigned>(std::max(0L, items[3]))),
                              day(static_cast<unsigned>(std::max(0L, items[2])))};
    if (!date.ok() || items[4] < 2000 || items[4] > 2099)
        return false;
    const auto local = sys_days(date) + hours(hour) + minutes(minute);
    const auto now = time_point_cast<seconds>(clock_());
    clockOffsetSeconds_ = duration_cast<seconds>(local - floor<minutes>(now)).count();
    timeZone_ = static_cast<int>(zone);
    summerTime_ = expectedCount == 7 ? static_cast<int>(items[6]) : 0;
    return true;
}

void VirtualTracker::loadFactorySettings()
{
    global_ = factoryGlobals();
    global_["ACCLEN"] = scenario_.accelerometer ? "1" : "0";
    profiles_ = factoryProfiles();
    if (lastProfile() < 6 && global_["CHANGEPROFILE"] == "6")
        global_["CHANGEPROFILE"] = "5";
    timeZone_ = 3;
    summerTime_ = 0;
    clockOffsetSeconds_ = timeZone_ * 3600LL;
}

void VirtualTracker::applyScenarioSettings()
{
    // Scenario values take the same path as commands, so a scenario cannot
    // give a tracker a value it would refuse over the wire.
    auto apply = [&](const std::string &key, const std::string &value, int profile) {
        const KeyRule *rule = findSettingKey(key);
        if (!rule) {
            scenario_.problems.push_back("unknown setting " + key);
            return;
        }
        const int saved = viewProfile_;
        viewProfile_ = profile;
        // A per-profile key in [settings] sets all profiles alike.
        const int last = profile < 0 ? ProfileCount - 1 : profile;
        bool refused = false;
        for (viewProfile_ = std::max(profile, 0); viewProfile_ <= last; ++viewProfile_)
            refused = !storeSetting(*rule, value) || refused;
        viewProfile_ = saved;
        if (refused)
            scenario_.problems.push_back("setting " + key + "=" + traceText(value) + " refused");
    };
    for (const auto &[key, value] : scenario_.settings) {
        const KeyRule *rule = findSettingKey(key);
        apply(key, value, rule && rule->scope == KeyScope::Profile ? -1 : 0);
    }
    for (int p = 0; p < ProfileCount; ++p) {
        for (const auto &[key, value] : scenario_.profiles[static_cast<std::size_t>(p)]) {
            const KeyRule *rule = findSettingKey(key);
            std::string v = value;
            // SMSEN=S alone is allowed in a profile section; the gateway
            // switch then stays as it is.
            if (key == "SMSEN" && v.find(',') == std::string::npos)
                v += "," + global_[SmsGatewayKey];
            if (rule && rule->scope != KeyScope::Profile)
                scenario_.problems.push_back("[profile" + std::to_string(p) + "] " + key + " is not a profile setting");
            else
                apply(key, v, p);
        }
    }
}

void VirtualTracker::loadFlash()
{
    if (home_.empty())
        return;
    const auto flash = IniFile::load(flashPath());
    if (!flash)
        return;
    if (const auto *settings = flash->section("settings"))
        for (const auto &[key, value] : *settings)
            global_[key] = value;
    for (int p = 0; p < ProfileCount; ++p)
        if (const auto *profile = flash->section("profile" + std::to_string(p)))
            for (const auto &[key, value] : *profile)
                profiles_[static_cast<std::size_t>(p)][key] = value;
    if (auto v = flash->value("clock", "offset"))
        clockOffsetSeconds_ = parseWholeNumber(*v).value_or(clockOffsetSeconds_);
    if (auto v = flash->value("clock", "zone"))
        timeZone_ = static_cast<int>(parseWholeNumber(*v).value_or(timeZone_));
    if (auto v = flash->value("clock", "summer"))
        summerTime_ = static_cast<int>(parseWholeNumber(*v).value_or(summerTime_));
    if (auto v = flash->value("security", "protected"))
        protection_ = *v == "1";
    if (auto v = flash->value("security", "password"))
        password_ = *v;
}

bool VirtualTracker::saveFlash() const
{
    if (home_.empty())
        return true;
    std::error_code ignored;
    fs::create_directories(home_ + "/flash", ignored);
    IniFile flash;
    for (const auto &[key, value] : global_)
        flash.set("settings", key, value);
    for (int p = 0; p < ProfileCount; ++p)
        for (const auto &[key, value] : profiles_[static_cast<std::size_t>(p)])
            flash.set("profile" + std::to_string(p), key, value);
    flash.set("clock", "offset", std::to_string(clockOffsetSeconds_));
    flash.set("clock", "zone", std::to_string(timeZone_));
    flash.set("clock", "summer", std::to_string(summerTime_));
    flash.set("security", "protected", protection_ ? "1" : "0");
    flash.set("security", "password", password_);
    return flash.save(flashPath());
}

void VirtualTracker::persistSecurity() const
{
    // The password and the protection switch are written at once, without
    // SAVECONFIG: a password must not come back after an unplug.
    if (home_.empty())
        return;
    std::error_code ignored;
    fs::create_directories(home_ + "/flash", ignored);
    IniFile flash = IniFile::load(flashPath()).value_or(IniFile());
    flash.set("security", "protected", protection_ ? "1" : "0");
    flash.set("security", "password", password_);
    flash.save(flashPath());
}

void VirtualTracker::trace(char direction, const std::string &bytes) const
{
    if (!scenario_.trace || home_.empty())
        return;
    std::error_code ignored;
    fs::create_directories(home_ + "/trace", ignored);
    std::ofstream out(tracePath(), std::ios::app | std::ios::binary);
    out << direction << ' ' << traceText(bytes) << '\n';
}

void VirtualTracker::debug(const std::string &line) const
{
    if (!debugSink_)
        return;
    const auto it = global_.find("DEBUGINFO");
    if (it == global_.end() || it->second != "1")
        return;
    debugSink_(line + "\r\n");
}

} // namespace kvtracker
