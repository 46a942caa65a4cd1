#include "shell/CommandHistory.h"

namespace kvmt {

void CommandHistory::add(const QString &command)
{
    if (!command.isEmpty() && (m_entries.isEmpty() || m_entries.last() != command))
        m_entries.append(command);
    m_position = m_entries.size();
    m_typed.clear();
}

std::optional<QString> CommandHistory::previous(const QString &typed)
{
    if (m_position == 0)
        return std::nullopt;
    if (m_position == m_entries.size())
        m_typed = typed;
    return m_entries[--m_position];
}

std::optional<QString> CommandHistory::next()
{
    if (m_position >= m_entries.size())
        return std::nullopt;
    ++m_position;
    return m_position == m_entries.size() ? m_typed : m_entries[m_position];
}

} // namespace kvmt
