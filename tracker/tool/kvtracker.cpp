// kvtracker: plugs and unplugs virtual trackers from a terminal.
#include "AttachedFolder.h"
#include "IniFile.h"
#include "PlugNotice.h"
#include "Scenario.h"
#include "VirtualTracker.h"

#include "kvtracker_home.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using kvtracker::announcePlugChange;
using kvtracker::AttachedFolder;
using kvtracker::IniFile;
using kvtracker::Scenario;

constexpr const char *Usage = R"(Usage: kvtracker COMMAND [OPTIONS]

Plugs and unplugs virtual Korvel-MT trackers for the configurator.

Commands:
  plug [--scenario FILE] [OPTION...]
                      Plug in a tracker. Without a scenario file the default
                      tracker (5001500, KVMT-1.44, accelerometer, no
                      protection) is plugged. Options override [tracker] keys:
                        --serial N       --version KVMT-x.yy
                        --accelerometer 0|1   --protected 0|1
                        --password PPPP  --trace
  unplug [SERIAL]     Unplug the last plugged tracker with this serial number
                      (without SERIAL: the last plugged tracker).
  list                Show the plugged trackers in plug order.
  reset               Back to a fresh machine: unplug everything, forget the
                      saved settings (flash), traces and ports; the default
                      tracker counts as attached again.
  home                Print the folder holding the trackers' state.
  --help, help        Show this text.

The state folder is $KVTRACKER_HOME (default $XDG_STATE_HOME/kvtracker or
~/.local/state/kvtracker). Scenario keys: see docs/VIRTUAL_TRACKER.md.
)";

int fail(const std::string &message, int code = 1)
{
    std::fprintf(stderr, "kvtracker: %s\n", message.c_str());
    return code;
}

int plug(const std::vector<std::string> &args)
{
    std::string text = Scenario::defaultText();
    std::vector<std::pair<std::string, std::string>> overrides;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        auto valueOf = [&](const char *key) -> bool {
            if (i + 1 >= args.size())
                return false;
            overrides.emplace_back(key, args[++i]);
            return true;
        };
        if (arg == "--scenario") {
            if (i + 1 >= args.size())
                return fail("--scenario needs a file name", 2);
            const auto fileText = kvtracker::readWholeFile(args[++i]);
            if (!fileText)
                return fail("cannot read scenario file " + args[i]);
            text = *fileText;
        } else if (arg == "--trace") {
            overrides.emplace_back("trace", "1");
        } else if (arg == "--serial" || arg == "--version" || arg == "--accelerometer" || arg == "--protected"
                   || arg == "--password") {
            if (!valueOf(arg.c_str() + 2))
                return fail(arg + " needs a value", 2);
        } else {
            return fail("unknown option for plug: " + arg + " (see kvtracker --help)", 2);
        }
    }
    IniFile ini = IniFile::parse(text);
    if (!overrides.empty()) {
        for (const auto &[key, value] : overrides)
            ini.set("tracker", key, value);
        text = ini.serialise();
    }
    // A tracker built in memory checks the settings as the library will.
    const kvtracker::VirtualTracker probe(Scenario::fromIni(ini), std::string());
    const Scenario &scenario = probe.scenario();
    if (!scenario.problems.empty()) {
        for (const auto &problem : scenario.problems)
            std::fprintf(stderr, "kvtracker: scenario: %s\n", problem.c_str());
        return fail("scenario refused; nothing plugged");
    }
    AttachedFolder folder(kvtracker::homeDir());
    std::string error;
    const auto name = folder.plug(text, scenario.serial, error);
    if (!name)
        return fail(error);
    announcePlugChange();
    std::printf("plugged %s (%s, %s)\n", scenario.deviceName().c_str(), scenario.version.c_str(),
                (folder.path() + "/" + *name).c_str());
    return 0;
}

int unplug(const std::vector<std::string> &args)
{
    if (args.size() > 1)
        return fail("unplug takes at most one serial number", 2);
    AttachedFolder folder(kvtracker::homeDir());
    std::string error;
    const auto name = folder.unplug(args.empty() ? std::string() : args[0], error);
    if (!name)
        return fail(error);
    announcePlugChange();
    std::printf("unplugged %s\n", name->c_str());
    return 0;
}

int list()
{
    AttachedFolder folder(kvtracker::homeDir());
    const auto entries = folder.list();
    if (entries.empty()) {
        std::printf("no tracker plugged\n");
        return 0;
    }
    for (const auto &entry : entries) {
        const Scenario scenario = entry.builtIn ? Scenario::fromIni(IniFile::parse(Scenario::defaultText()))
                                                : Scenario::fromFile(entry.path);
        std::string stem = entry.fileName.substr(0, entry.fileName.size() - 4);
        const auto port = IniFile::load(folder.home() + "/ports/" + stem);
        const std::string portPath = port ? port->value("port", "path", "") : std::string();
        std::printf("%-22s %-10s %s%s%s\n", scenario.deviceName().c_str(), scenario.version.c_str(),
                    entry.builtIn ? "(default, nothing configured)" : entry.fileName.c_str(),
                    scenario.protection ? "  protected" : "",
                    portPath.empty() ? "" : ("  debug port " + portPath).c_str());
    }
    return 0;
}

int reset()
{
    AttachedFolder folder(kvtracker::homeDir());
    std::string error;
    if (!folder.reset(error))
        return fail(error);
    announcePlugChange();
    std::printf("reset %s: the default tracker is attached\n", folder.home().c_str());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return fail(std::string("no command given\n") + Usage, 2);
    const std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto &arg : args)
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (command == "plug")
        return plug(args);
    if (command == "unplug")
        return unplug(args);
    if (command == "list" && args.empty())
        return list();
    if (command == "reset" && args.empty())
        return reset();
    if (command == "home" && args.empty()) {
        std::printf("%s\n", kvtracker::homeDir().c_str());
        return 0;
    }
    return fail("unknown command or arguments: " + command + " (see kvtracker --help)", 2);
}
