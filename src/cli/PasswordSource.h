#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace kvmt {

// Where the tracker's password comes from, first found first: --password or
// --password-file, the KVMT_PASSWORD environment variable, and last the
// person at the terminal, asked once per run and only when a tracker wants
// it. A password in the arguments is visible to every local user; the other
// three are not. Once a password is held, the process leaves no core dump.
class PasswordSource
{
public:
    // What the person at the terminal gave: a password, nothing (no
    // terminal, an empty line, the end of input), or an interrupt (Ctrl+C,
    // SIGTERM) that ended the question.
    struct Typed {
        Typed() = default;
        // So that a plain answer converts: tests give one.
        Typed(std::optional<QByteArray> typed)
            : password(std::move(typed))
        {
        }
        std::optional<QByteArray> password;
        bool interrupted = false;
    };
    // Asks the person.
    using Terminal = std::function<Typed()>;

    explicit PasswordSource(Terminal terminal);

    void setGiven(const QByteArray &password);
    // The first line of the file. False, with `error` set, when it cannot
    // be read.
    bool setFromFile(const QString &path, QString *error);

    std::optional<QByteArray> password();
    // The question at the terminal was ended by an interrupt: no password,
    // and the person wants the run to end.
    bool interrupted() const { return m_typed.interrupted; }

    // Reads a line from standard input without echo when it is a terminal,
    // prompting on standard error. SIGINT and SIGTERM end the question (the
    // handlers in place still run), and the echo comes back either way.
    static Typed askOnTerminal();

private:
    Terminal m_terminal;
    std::optional<QByteArray> m_given;
    Typed m_typed;
    bool m_asked = false;
};

} // namespace kvmt
