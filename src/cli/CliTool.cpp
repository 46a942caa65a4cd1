#include "cli/CliTool.h"

#include "cli/CliSupport.h"
#include "cli/commands/Commands.h"
#include "shell/ExeDir.h"
#include "shell/Language.h"

#include <QCoreApplication>

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
    "                          tracker's reply as the service console shows it;\n"
    "                          a command over 127 bytes or outside Windows-1251\n"
    "                          is refused, and passwords in its echo masked\n"
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
    "                          every serial of the table) is done. A second\n"
    "                          Ctrl+C ends the tracker being written without\n"
    "                          SAVECONFIG (RESULT interrupted)\n"
    "\n"
    "Options:\n"
    "  --help                  show this text\n"
    "  --version               show the program version\n"
    "  --json                  print one JSON document instead of lines\n"
    "  --password-file FILE    a protected tracker's password: the first line of\n"
    "                          FILE; else KVMT_PASSWORD, else asked on the\n"
    "                          terminal without echo (Ctrl+C there ends the\n"
    "                          run); a FILE others can read is warned about\n"
    "  --password PIN          the same, visible to every local user\n"
    "  --language ru|en        the language of the log lines and the summary;\n"
    "                          else the window's choice in MT.ini, else the\n"
    "                          system's language (Russian on a Russian system)\n"
    "  --virtual-tracker       use the virtual tracker's device library, from its\n"
    "                          own folder, instead of the maker's\n"
    "\n"
    "Event log lines go to standard error as \"KIND: text\" (error, success,\n"
    "notice, plain; provision: \"KIND: TRACKER: text\"). Exit codes: 0 done\n"
    "(diff: no differences), 1 usage, 2 diff found differences, 3 no device\n"
    "library, 4 no tracker attached, 5 password missing or refused, 6 the\n"
    "test did not end within its time limit, 7 the tracker reported the test\n"
    "failed, 8 the profile file could not be read or an entry of it could not\n"
    "be taken (each named), 9 the profile file could not be written, 10 the\n"
    "tracker did not take every setting or did not store them, 11 the tracker\n"
    "did not answer the console command, 12 provision: at least one tracker\n"
    "was not provisioned, 13 the tracker was identified but its settings were\n"
    "not read, 14 the tracker left settings unanswered (no reply, DEVLOCK, or\n"
    "a value short of an item or with one that is no number), 15 the test\n"
    "ended without a verdict, 16 interrupted (Ctrl+C): the exchange in\n"
    "progress was finished, then only CONFCLOSE=1; was sent and no file was\n"
    "written (write interrupted after SAVECONFIG was answered gives its own\n"
    "code and says the check read was stopped), 17 provision: the values\n"
    "table could not be used.\n";

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

// --language CODE (or --language=CODE) wherever it stands, taken out of
// `arguments`. Nothing chosen: nullopt with `bad` false.
std::optional<int> takeLanguageOption(QStringList &arguments, bool *bad, QTextStream &err)
{
    static const QString kOption = QStringLiteral("--language");
    std::optional<int> chosen;
    *bad = false;
    for (qsizetype i = 0; i < arguments.size();) {
        QString code;
        if (arguments[i] == kOption) {
            if (i + 1 >= arguments.size()) {
                err << "kvmtconf-cli: --language needs ru or en" << Qt::endl;
                *bad = true;
                return std::nullopt;
            }
            code = arguments[i + 1];
            arguments.remove(i, 2);
        } else if (arguments[i].startsWith(kOption + u'=')) {
            code = arguments[i].mid(kOption.size() + 1);
            arguments.remove(i);
        } else {
            ++i;
            continue;
        }
        chosen = languageFromCode(code);
        if (!chosen) {
            err << "kvmtconf-cli: --language takes ru or en, not \"" << code << '"' << Qt::endl;
            *bad = true;
            return std::nullopt;
        }
    }
    return chosen;
}

} // namespace

int runCli(const QStringList &givenArguments, QTextStream &out, QTextStream &err, const QStringList &libraryDirs,
           PasswordSource::Terminal terminal)
{
    QStringList arguments = givenArguments;
    bool badLanguage = false;
    const std::optional<int> chosenLanguage = takeLanguageOption(arguments, &badLanguage, err);
    if (badLanguage)
        return ExitUsage;
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
            // The window's rule, and its texts: what the window would show
            // on this computer, the log lines and the summary say here.
            const InstalledLanguage language(chosenLanguage.value_or(startupLanguage(programExeDir())),
                                             QCoreApplication::applicationDirPath());
            const CliContext context{out, err, libraryDirs, std::move(terminal)};
            return command.make()->execute(arguments.mid(1), context);
        }
    }
    err << "kvmtconf-cli: unknown command " << name << "\n\n" << kUsage;
    return ExitUsage;
}

} // namespace kvmt
