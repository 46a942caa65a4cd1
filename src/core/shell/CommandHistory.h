#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kvmt {

// The commands sent from the console in this run, recalled with Up and Down
// as in a shell: Up steps back through them, Down forward again and, past
// the newest, back to the line that was being typed.
class CommandHistory
{
public:
    // A sent command; the same command twice in a row is kept once. Recall
    // starts again from the newest.
    void add(const QString &command);
    // The entry to show for Up; `typed` is the field's text, kept to come
    // back to. nullopt when there is nothing older.
    std::optional<QString> previous(const QString &typed);
    // The entry to show for Down; nullopt when not recalling.
    std::optional<QString> next();

    const QStringList &entries() const { return m_entries; }

private:
    QStringList m_entries;
    qsizetype m_position = 0; // == size: not recalling
    QString m_typed;
};

} // namespace kvmt
