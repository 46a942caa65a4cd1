#include "cli/CliTool.h"

#include "cli/CliSupport.h"
#include "cli/commands/Commands.h"

namespace kvmt {

namespace {

const char kUsage[] =
    "Usage: kvmtconf-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  read [--password-file FILE] [--json]\n"
    "                          identify the first attached tracker, read its\n"
    "                          settings and print them as name=value lines\n"
    "  test smtp|sms|server [--password-file FILE] [--time-limit SECONDS]\n"
    "       [--interval MS]    run one of the tracker's communication tests with\n"
    "                          the settings it holds, polling every MS (1000)\n"
    "                          until the tracker ends it or SECONDS (300) pass\n"
    "  load FILE [--json]      read a profile file (*.atc) into the settings as\n"
    "                          the window's load command does, without a\n"
    "                          tracker, and print them as name=value lines\n"
    "  summary [--password-file FILE] [--colour] [--json]\n"
    "                          the plain-language summary of the attached\n"
    "                          tracker's settings: each value coloured on a\n"
    "                          terminal (or with --colour), else each line\n"
    "                          starts with the value's KIND\n"
    "  save FILE [--password-file FILE]\n"
    "                          read the attached tracker and write its settings\n"
    "                          to the profile file FILE (.atc is added unless\n"
    "                          the name ends in it, in any case)\n"
    "  write FILE [--password-file FILE]\n"
    "                          load the profile file FILE and write it to the\n"
    "                          attached tracker as the Save button does, then\n"
    "                          read the tracker back\n"
    "  diff FILE [--password-file FILE] [--json]\n"
    "                          read the attached tracker and list the keys that\n"
    "                          writing FILE would change, one per line:\n"
    "                          KEY<tab>tracker's value<tab>file's value\n"
    "  console COMMAND [--password-file FILE]\n"
    "                          send COMMAND to the attached tracker exactly as\n"
    "                          given (write the = and ; yourself) and print the\n"
    "                          tracker's reply as the service console shows it\n"
    "  provision FILE [--serial N]... [--password-file FILE] [--wait] [--count N]\n"
    "       [--values TABLE.csv [--require-values]] [--json]\n"
    "                          write FILE to every attached tracker in turn (or\n"
    "                          to those with the serials given), read each back\n"
    "                          and print one line per tracker:\n"
    "                          SERIAL<tab>RESULT<tab>saved|not-saved<tab>KEYS\n"
    "                          With --values, each tracker's row of the table\n"
    "                          (first column serial, the others keys of the\n"
    "                          profile file) replaces the file's values, and the\n"
    "                          line ends in <tab>VALUES, the count taken; with\n"
    "                          --require-values a tracker without a row is\n"
    "                          skipped. With --wait, then provision every\n"
    "                          tracker plugged in until interrupted (Ctrl+C),\n"
    "                          until N trackers are done (--count), or until\n"
    "                          every serial given (or, with --require-values,\n"
    "                          every serial of the table) is done\n"
    "\n"
    "Options:\n"
    "  --help                  show this text\n"
    "  --version               show the program version\n"
    "  --json                  print one JSON document instead of lines\n"
    "  --password-file FILE    a protected tracker's password: the first line of\n"
    "                          FILE; else KVMT_PASSWORD, else asked on the\n"
    "                          terminal without echo\n"
    "  --password PIN          the same, visible to every local user\n"
    "  --virtual-tracker       use the virtual tracker's device library, from its\n"
    "                          own folder, instead of the maker's\n"
    "\n"
    "Event log lines go to standard error as \"KIND: text\" (error, success,\n"
    "notice, plain). Exit codes: 0 done (diff: no differences), 1 usage,\n"
    "2 diff found differences, 3 no device library, 4 no tracker attached,\n"
    "5 password missing or refused, 6 the test did not end within its time\n"
    "limit, 7 the tracker reported the test failed, 8 the profile file could\n"
    "not be read, 9 the profile file could not be written, 10 the tracker did\n"
    "not take every setting, 11 the tracker did not answer the console\n"
    "command, 12 provision: at least one tracker was not provisioned, 13 the\n"
    "tracker was identified but its settings were not read, 14 the tracker\n"
    "left settings unanswered, 15 the test ended without a verdict, 16\n"
    "interrupted (Ctrl+C): the exchange in progress was finished, nothing\n"
    "more was sent and no file was written, 17 provision: the values table\n"
    "could not be read.\n";

struct NamedCommand {
    const char *name;
    std::unique_ptr<CliCommand> (*make)();
};

const NamedCommand kCommands[] = {
    {"read", makeReadCommand},
    {"test", makeTestCommand},
    {"load", makeLoadCommand},
    {"summary", makeSummaryCommand},
    {"save", makeSaveCommand},
    {"write", makeWriteCommand},
    {"diff", makeDiffCommand},
    {"console", makeConsoleCommand},
    {"provision", makeProvisionCommand},
};

} // namespace

int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err, const QStringList &libraryDirs,
           PasswordSource::Terminal terminal)
{
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help")) {
        (arguments.isEmpty() ? err : out) << kUsage;
        return arguments.isEmpty() ? ExitUsage : ExitOk;
    }
    const QString name = arguments.first();
    if (name == QLatin1String("--version")) {
        out << "kvmtconf-cli " << KVMT_VERSION_STRING << Qt::endl;
        return ExitOk;
    }
    for (const NamedCommand &command : kCommands) {
        if (name == QLatin1String(command.name)) {
            const CliContext context{out, err, libraryDirs, std::move(terminal)};
            return command.make()->execute(arguments.mid(1), context);
        }
    }
    err << "kvmtconf-cli: unknown command " << name << "\n\n" << kUsage;
    return ExitUsage;
}

} // namespace kvmt
