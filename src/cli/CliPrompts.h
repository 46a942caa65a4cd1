#pragma once

#include <QTextStream>

#include "cli/PasswordSource.h"
#include "cli/StreamEventLog.h"
#include "device/UserPrompts.h"
#include "settings/SequenceStop.h"

namespace kvmt {

// The command-line tool's answers: errors go to stderr, the tracker's
// password from its password source.
class CliPrompts final : public UserPrompts
{
public:
    CliPrompts(QTextStream &err, PasswordSource &password)
        : m_err(err)
        , m_password(password)
    {
    }
    void showError(const QString &caption, const QString &text) override
    {
        // Over several trackers, standard error is read line by line: a
        // box's text is then a log line that names its tracker.
        if (m_log && !m_log->tracker().isEmpty())
            m_log->write(text, LogError);
        else
            m_err << caption << ": " << text << Qt::endl;
        m_errorShown = true;
    }
    void showMessage(const QString &text) override
    {
        if (m_log && !m_log->tracker().isEmpty())
            m_log->write(text, LogNotice);
        else
            m_err << text << Qt::endl;
    }
    std::optional<QByteArray> askDevicePassword() override
    {
        m_passwordAsked = true;
        std::optional<QByteArray> password = m_password.password();
        m_passwordGiven = password.has_value();
        // Ctrl+C at the prompt: the identification ends as stopped, not as
        // a wrong password, and nothing more is sent.
        if (m_password.interrupted() && m_stop)
            m_stop->request();
        return password;
    }
    void closeProgram() override { m_closeRequested = true; }

    // The sequence an interrupted password question stops.
    void setStop(SequenceStop *stop) { m_stop = stop; }
    // The log whose tracker, once named, the boxes' lines name too.
    void setLog(StreamEventLog *log) { m_log = log; }

    bool errorShown() const { return m_errorShown; }
    bool closeRequested() const { return m_closeRequested; }
    // The tracker wanted a password and none was given.
    bool passwordMissing() const { return m_passwordAsked && !m_passwordGiven && !passwordInterrupted(); }
    // The person ended the password question with Ctrl+C.
    bool passwordInterrupted() const { return m_passwordAsked && m_password.interrupted(); }

private:
    QTextStream &m_err;
    PasswordSource &m_password;
    SequenceStop *m_stop = nullptr;
    StreamEventLog *m_log = nullptr;
    bool m_passwordGiven = false;
    bool m_errorShown = false;
    bool m_closeRequested = false;
    bool m_passwordAsked = false;
};

} // namespace kvmt
