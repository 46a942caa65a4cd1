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
// three are not.
class PasswordSource
{
public:
    // Asks the person; nothing when there is nobody to ask.
    using Terminal = std::function<std::optional<QByteArray>()>;

    explicit PasswordSource(Terminal terminal);

    void setGiven(const QByteArray &password) { m_given = password; }
    // The first line of the file. False, with `error` set, when it cannot
    // be read.
    bool setFromFile(const QString &path, QString *error);

    std::optional<QByteArray> password();

    // Reads a line from standard input without echo when it is a terminal,
    // prompting on standard error.
    static std::optional<QByteArray> askOnTerminal();

private:
    Terminal m_terminal;
    std::optional<QByteArray> m_given;
    std::optional<QByteArray> m_typed;
    bool m_asked = false;
};

} // namespace kvmt
