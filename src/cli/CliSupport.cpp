#include "cli/CliSupport.h"

#include "cli/ProcessPrivacy.h"

#include "shell/SessionClose.h"

#include <QJsonDocument>

namespace kvmt {

namespace {

bool isPrintedMember(Field field)
{
    return DeviceSettings::info(field).kind != FieldKind::Control
        && !DeviceSettings::name(field).startsWith(QLatin1String("Label"));
}

} // namespace

void printMembers(const DeviceSettings &settings, QTextStream &out)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        if (isPrintedMember(field))
            out << DeviceSettings::name(field) << '=' << settings.valueText(field) << '\n';
    }
    out.flush();
}

QJsonObject membersJson(const DeviceSettings &settings)
{
    QJsonObject members;
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        if (isPrintedMember(field))
            members.insert(DeviceSettings::name(field), settings.valueText(field));
    }
    return members;
}

// The tracker a document is about, as identified.
void addTracker(QJsonObject *document, const DeviceSettings &settings)
{
    document->insert(QStringLiteral("serial"), settings.text(F::pSerial));
    document->insert(QStringLiteral("firmware"), settings.text(F::pVersion));
}

void printJson(const QJsonObject &document, QTextStream &out)
{
    out << QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
    out.flush();
}

Taken takePasswordOption(const char *command, const QStringList &options, qsizetype &i, PasswordSource &password,
                         QTextStream &err)
{
    const bool hasValue = i + 1 < options.size();
    if (options[i] == QLatin1String("--password") && hasValue) {
        password.setGiven(options[++i].toLatin1());
        return Taken::Yes;
    }
    if (options[i] == QLatin1String("--password-file") && hasValue) {
        const QString path = options[++i];
        QString error;
        if (password.setFromFile(path, &error)) {
            if (readableByOthers(path)) {
                err << "kvmtconf-cli " << command << ": warning: the password file " << path
                    << " is readable by other users; make it yours alone (chmod 600)" << Qt::endl;
            }
            return Taken::Yes;
        }
        err << "kvmtconf-cli " << command << ": cannot read the password file " << path << ": " << error << Qt::endl;
        return Taken::Bad;
    }
    return Taken::No;
}

bool fileAndPassword(const char *command, const QStringList &options, QString *file, PasswordSource &password,
                     QTextStream &err)
{
    for (qsizetype i = 0; i < options.size(); ++i) {
        const Taken taken = takePasswordOption(command, options, i, password, err);
        if (taken == Taken::Bad)
            return false;
        if (taken == Taken::Yes)
            continue;
        if (!options[i].startsWith(u'-') && file->isEmpty()) {
            *file = options[i];
        } else {
            err << "kvmtconf-cli " << command << ": unknown option " << options[i] << Qt::endl;
            return false;
        }
    }
    if (file->isEmpty()) {
        err << "kvmtconf-cli " << command << ": name one profile file" << Qt::endl;
        return false;
    }
    return true;
}

CliSession::CliSession(QTextStream &err, PasswordSource &password, const QStringList &libraryDirs, bool interruptible)
    : log(err)
    , tap(log)
    , prompts(err, password)
    , configurator(tap, prompts, libraryDirs)
{
    prompts.setStop(&configurator.stop());
    prompts.setLog(&log);
    if (interruptible)
        stops.emplace(std::function<void()>{}, &configurator.stop());
}

CliSession::~CliSession()
{
    // Interrupted, the person is waiting: a tracker that stopped
    // answering must not hold the tool for another full time-out.
    if (configurator.stop().requested())
        configurator.link().setTimeouts(kInterruptedCloseMs, kInterruptedCloseMs);
    closeSession(configurator.cdcLog(), configurator.link(), configurator.flags());
}

bool CliSession::interrupted(QTextStream &err)
{
    // A signal during the open is cleared with the stop when the connection
    // is taken up; the handler's own record still tells of it.
    if (!configurator.stop().requested() && !(stops && stops->stopRequested()))
        return false;
    configurator.stop().request();
    // The session still tells the tracker that the configurator leaves, so
    // "nothing more" would not be true.
    if (prompts.passwordInterrupted())
        err << "kvmtconf-cli: interrupted at the password prompt; no password was sent";
    else
        err << "kvmtconf-cli: interrupted; the exchange in progress was finished";
    err << ", and only CONFCLOSE=1; follows (the tracker is told the configurator leaves)" << Qt::endl;
    QStringList unread;
    for (const Key key : configurator.reader().lastUnansweredKeys())
        unread.append(QString::fromLatin1(KeyTable::name(key)));
    if (!unread.isEmpty())
        err << "kvmtconf-cli: settings not read: " << unread.join(QLatin1String(", ")) << Qt::endl;
    return true;
}

bool readComplete(CliSession &session, QTextStream &err)
{
    const int unanswered = session.configurator.reader().lastUnanswered();
    if (unanswered > 0) {
        err << "kvmtconf-cli: the tracker left " << unanswered
            << " settings unanswered; their values are not the tracker's" << Qt::endl;
    }
    return unanswered == 0;
}

int takeUpTracker(CliSession &session, QTextStream &err)
{
    Configurator &configurator = session.configurator;
    const CliPrompts &prompts = session.prompts;
    // One monitor run, straight away: no timers, no device notices.
    configurator.monitor().devtimerTimer();
    if (session.interrupted(err))
        return ExitInterrupted;
    if (!configurator.library().isLoaded()) {
        err << "kvmtconf-cli: the device access library (libKVUSB.so) could not be loaded: "
            << configurator.library().lastError() << Qt::endl;
        return ExitNoLibrary;
    }
    if (!configurator.isConnected()) {
        err << "kvmtconf-cli: no tracker is attached" << Qt::endl;
        return ExitNoTracker;
    }
    if (prompts.passwordMissing()) {
        err << "kvmtconf-cli: the tracker's settings are password-protected; give --password-file FILE, set "
               "KVMT_PASSWORD or run on a terminal to be asked"
            << Qt::endl;
        return ExitRefused;
    }
    if (prompts.closeRequested())
        return ExitRefused;
    // A tracker that does not say who it is would have its settings taken
    // for, and its files filed under, a serial it never gave.
    if (configurator.identity().serialNumber == 0) {
        err << "kvmtconf-cli: the tracker did not give its serial number; it is not taken as identified" << Qt::endl;
        return ExitNotRead;
    }
    using Id = ConnectionMonitor::Identification;
    switch (configurator.monitor().lastIdentification()) {
    case Id::SettingsRead:
    case Id::ReadSkipped:
        return ExitOk;
    case Id::NoProtectionAnswer:
        err << "kvmtconf-cli: the tracker did not answer whether it is password-protected; its settings were not read"
            << Qt::endl;
        return ExitNotRead;
    case Id::NoPasswordVerdict:
        err << "kvmtconf-cli: the tracker gave no verdict on the password; its settings were not read" << Qt::endl;
        return ExitNotRead;
    default:
        err << "kvmtconf-cli: the tracker's identification ended early; its settings were not read" << Qt::endl;
        return ExitNotRead;
    }
}

} // namespace kvmt
