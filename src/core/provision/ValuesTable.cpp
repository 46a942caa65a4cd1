#include "provision/ValuesTable.h"

#include "text/Numbers.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <csv.h>

namespace kvmt {

namespace {

using Record = QList<QByteArray>;

struct Collected {
    QList<Record> records;
    Record current;
};

void onField(void *field, size_t size, void *data)
{
    auto *collected = static_cast<Collected *>(data);
    collected->current.append(field ? QByteArray(static_cast<const char *>(field), qsizetype(size)) : QByteArray());
}

void onRecordEnd(int, void *data)
{
    auto *collected = static_cast<Collected *>(data);
    collected->records.append(std::move(collected->current));
    collected->current.clear();
}

// Spreadsheets in a comma-decimal locale export with ';'. The header's first
// cell is "serial", so whichever separator ends it is the table's.
unsigned char separatorOf(QByteArrayView text)
{
    bool quoted = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == ',' || c == ';'))
            return static_cast<unsigned char>(c);
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
    }
    return ',';
}

std::optional<QList<Record>> records(QByteArrayView text, unsigned char separator, QString *error)
{
    csv_parser parser{};
    // Strict: a stray quote is a broken table, not a value to guess at.
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
        *error = QStringLiteral("out of memory");
        return std::nullopt;
    }
    csv_set_delim(&parser, separator);
    Collected collected;
    const size_t used = csv_parse(&parser, text.data(), size_t(text.size()), onField, onRecordEnd, &collected);
    const bool parsed = used == size_t(text.size()) && csv_fini(&parser, onField, onRecordEnd, &collected) == 0;
    if (!parsed) {
        *error = QStringLiteral("broken CSV (%1) in or after row %2")
                     .arg(QString::fromLatin1(csv_strerror(csv_error(&parser))))
                     .arg(collected.records.size() + 1);
    }
    csv_free(&parser);
    if (!parsed)
        return std::nullopt;
    return collected.records;
}

// The keys a table may give: every key a write sends.
std::optional<Key> keyNamed(const QString &name)
{
    for (int i = 0; i < int(Key::Count); ++i) {
        const Key key = Key(i);
        if (key != Key::ADCINFO && name.compare(QLatin1String(KeyTable::name(key)), Qt::CaseInsensitive) == 0)
            return key;
    }
    return std::nullopt;
}

bool allEmpty(const QStringList &cells)
{
    return std::all_of(cells.begin(), cells.end(), [](const QString &cell) { return cell.isEmpty(); });
}

// One column of the header.
struct Column {
    QString name;
    std::optional<Key> key;
};

ValuesRow rowOf(int number, const QStringList &cells, const QList<Column> &columns)
{
    ValuesRow row;
    row.row = number;
    row.serialText = cells.value(0);
    const std::optional<int> serial = strictInt(QStringView(row.serialText));
    row.serial = serial && *serial > 0 ? *serial : 0;
    if (row.serial == 0)
        row.problems.append({columns[0].name, QStringLiteral("\"%1\" is no serial number").arg(row.serialText)});
    for (qsizetype i = 1; i < cells.size(); ++i) {
        const QString &cell = cells[i];
        if (cell.isEmpty())
            continue;
        if (i >= columns.size()) {
            row.problems.append({QStringLiteral("%1").arg(i + 1), QStringLiteral("a value beyond the last named column")});
        } else if (!columns[i].key) {
            row.problems.append({columns[i].name.isEmpty() ? QStringLiteral("%1").arg(i + 1) : columns[i].name,
                                 QStringLiteral("no key of the profile files is named so")});
        } else if (cell.contains(u';')) {
            // The tracker and the profile files end a value at ';': the rest
            // would arrive as a value of its own.
            row.problems.append({columns[i].name, QStringLiteral("a value may not hold ';'")});
        } else {
            row.values.append({*columns[i].key, cell});
        }
    }
    return row;
}

} // namespace

std::optional<ValuesTable> ValuesTable::read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes) {
        *error = QStringLiteral("larger than %1 bytes").arg(kMaxBytes);
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return std::nullopt;
    }
    return parse(bytes, error);
}

std::optional<ValuesTable> ValuesTable::parse(QByteArrayView bytes, QString *error)
{
    static constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");
    if (bytes.startsWith(kByteOrderMark))
        bytes = bytes.sliced(kByteOrderMark.size());
    const std::optional<QList<Record>> found = records(bytes, separatorOf(bytes), error);
    if (!found)
        return std::nullopt;

    QList<QStringList> texts;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    for (qsizetype r = 0; r < found->size(); ++r) {
        QStringList cells;
        for (const QByteArray &field : found->at(r)) {
            cells.append(utf8.decode(field));
            if (utf8.hasError()) {
                *error = QStringLiteral("row %1 is not UTF-8 text; save the table as \"CSV UTF-8\"").arg(r + 1);
                return std::nullopt;
            }
        }
        texts.append(cells);
    }
    if (texts.isEmpty()) {
        *error = QStringLiteral("the table is empty");
        return std::nullopt;
    }

    QList<Column> columns;
    for (const QString &name : texts.first())
        columns.append({name.trimmed(), keyNamed(name.trimmed())});
    if (columns.first().name.compare(QLatin1String("serial"), Qt::CaseInsensitive) != 0) {
        *error = QStringLiteral("the first column must be \"serial\", not \"%1\"").arg(columns.first().name);
        return std::nullopt;
    }
    QHash<Key, QString> named;
    for (const Column &column : columns) {
        if (!column.key)
            continue;
        if (named.contains(*column.key)) {
            *error = QStringLiteral("the columns \"%1\" and \"%2\" name the same key")
                         .arg(named.value(*column.key), column.name);
            return std::nullopt;
        }
        named.insert(*column.key, column.name);
    }

    ValuesTable table;
    for (qsizetype r = 1; r < texts.size(); ++r) {
        // A spreadsheet's empty lines carry nothing to refuse.
        if (!allEmpty(texts[r]))
            table.m_rows.append(rowOf(int(r + 1), texts[r], columns));
    }
    // Which of two rows of one serial was meant is anybody's guess: neither
    // is used.
    QHash<qint32, QList<int>> rowsOfSerial;
    for (const ValuesRow &row : std::as_const(table.m_rows)) {
        if (row.serial != 0)
            rowsOfSerial[row.serial].append(row.row);
    }
    for (ValuesRow &row : table.m_rows) {
        for (const int other : rowsOfSerial.value(row.serial)) {
            if (other != row.row) {
                row.problems.append(
                    {columns[0].name, QStringLiteral("serial %1 is also given in row %2").arg(row.serial).arg(other)});
            }
        }
    }
    return table;
}

const ValuesRow *ValuesTable::rowFor(qint32 serial) const
{
    const auto found = std::find_if(m_rows.begin(), m_rows.end(),
                                    [serial](const ValuesRow &row) { return row.serial == serial; });
    return found == m_rows.end() ? nullptr : &*found;
}

} // namespace kvmt
