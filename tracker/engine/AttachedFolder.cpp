#include "AttachedFolder.h"

#include "IniFile.h"
#include "Scenario.h"
#include "VirtualTracker.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace kvtracker {

namespace fs = std::filesystem;

namespace {

bool isEntryName(const std::string &name)
{
    return name.size() > 4 && name[0] != '.' && name.compare(name.size() - 4, 4, ".ini") == 0;
}

unsigned sequenceOf(const std::string &name)
{
    unsigned n = 0;
    for (char c : name) {
        if (c < '0' || c > '9')
            break;
        n = n * 10 + static_cast<unsigned>(c - '0');
        if (n > 100000000)
            break;
    }
    return n;
}

} // namespace

AttachedFolder::AttachedFolder(std::string home) : home_(std::move(home)) {}

std::string AttachedFolder::path() const
{
    return home_ + "/attached";
}

bool AttachedFolder::exists() const
{
    std::error_code ec;
    return fs::is_directory(path(), ec);
}

std::vector<AttachedEntry> AttachedFolder::list() const
{
    std::vector<AttachedEntry> entries;
    std::error_code ec;
    if (!fs::is_directory(path(), ec)) {
        entries.push_back({DefaultEntryName, {}, true});
        return entries;
    }
    for (fs::directory_iterator it(path(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (isEntryName(name) && it->is_regular_file(ec))
            entries.push_back({name, it->path().string(), false});
    }
    // Names start with the plug sequence number, zero-padded: name order is
    // plug order. Numbers beyond the padding still sort by value first.
    std::sort(entries.begin(), entries.end(), [](const AttachedEntry &a, const AttachedEntry &b) {
        const unsigned sa = sequenceOf(a.fileName), sb = sequenceOf(b.fileName);
        return sa != sb ? sa < sb : a.fileName < b.fileName;
    });
    return entries;
}

bool AttachedFolder::isPresent(const AttachedEntry &entry) const
{
    std::error_code ec;
    // The default tracker stays plugged when kvtracker writes it into a new
    // attached/ to plug a second one beside it.
    if (entry.builtIn)
        return !fs::exists(path(), ec) || fs::exists(path() + "/" + DefaultEntryName, ec);
    return fs::exists(path() + "/" + entry.fileName, ec);
}

bool AttachedFolder::materialiseDefault(std::string &error)
{
    std::error_code ec;
    fs::create_directories(home_, ec);
    // Written before attached/ appears, then moved in with the folder, so the
    // default tracker never disappears for a moment.
    const std::string staging = home_ + "/.attached-" + std::to_string(::getpid());
    fs::remove_all(staging, ec);
    fs::create_directories(staging, ec);
    if (ec || !writeFileAtomically(staging + "/" + DefaultEntryName, Scenario::defaultText())) {
        error = "cannot write " + staging;
        return false;
    }
    fs::rename(staging, path(), ec);
    if (ec) {
        fs::remove_all(staging, ec);
        if (exists())
            return true; // another plug made it first
        error = "cannot create " + path();
        return false;
    }
    return true;
}

std::optional<std::string> AttachedFolder::plug(const std::string &scenarioText, const std::string &serial,
                                                std::string &error)
{
    if (!exists() && !materialiseDefault(error))
        return std::nullopt;
    const std::string counterPath = home_ + "/plug-sequence";
    unsigned next = 1;
    if (auto text = readWholeFile(counterPath))
        next = sequenceOf(*text) + 1;
    for (const auto &entry : list())
        next = std::max(next, sequenceOf(entry.fileName) + 1);
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%04u-", next);
    const std::string name = prefix + safeFileName(serial) + ".ini";
    // The scenario is complete before it appears in attached/: the library
    // may read it the moment the folder changes.
    const std::string staging = home_ + "/." + name;
    if (!writeFileAtomically(staging, scenarioText)) {
        error = "cannot write " + staging;
        return std::nullopt;
    }
    std::error_code ec;
    fs::rename(staging, path() + "/" + name, ec);
    if (ec) {
        fs::remove(staging, ec);
        error = "cannot move the scenario into " + path();
        return std::nullopt;
    }
    writeFileAtomically(counterPath, std::to_string(next) + "\n");
    return name;
}

std::optional<std::string> AttachedFolder::unplug(const std::string &serial, std::string &error)
{
    const auto entries = list();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const Scenario scenario = it->builtIn ? Scenario::fromIni(IniFile::parse(Scenario::defaultText()))
                                              : Scenario::fromFile(it->path);
        if (!serial.empty() && scenario.serial != serial)
            continue;
        std::error_code ec;
        if (it->builtIn) {
            // An empty attached/ is what "nothing plugged" looks like.
            fs::create_directories(path(), ec);
        } else {
            fs::remove(it->path, ec);
        }
        if (ec) {
            error = "cannot unplug " + it->fileName + ": " + ec.message();
            return std::nullopt;
        }
        return it->fileName;
    }
    error = serial.empty() ? "no tracker is plugged" : "no tracker with serial " + serial + " is plugged";
    return std::nullopt;
}

bool AttachedFolder::reset(std::string &error)
{
    std::error_code ec;
    for (const char *sub : {"attached", "flash", "trace", "ports"}) {
        fs::remove_all(home_ + "/" + sub, ec);
        if (ec) {
            error = "cannot remove " + home_ + "/" + sub + ": " + ec.message();
            return false;
        }
    }
    fs::remove(home_ + "/plug-sequence", ec);
    return true;
}

} // namespace kvtracker
