#include "provision/ValuesTable.h"

#include "profiles/KeyFilters.h"
#include "text/Cp1251.h"
#include "text/Numbers.h"
#include "text/VisibleText.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <csv.h>

#include <climits>

namespace kvmt {

namespace {

// One column of the header.
struct Column {
    QString name;
    std::optional<Key> key;
};

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

QString quoted(const QString &text)
{
    return quotedExcerpt(text);
}

// A number as a spreadsheet shows a cell formatted as a number rather than
// as text: "7.91612E+10", "7,91612E+10", "4321.0". The digits a person
// typed may be lost in it.
bool spreadsheetNumber(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^[+-]?[0-9]+([.,][0-9]+)?([Ee][+-]?[0-9]+)?$"));
    const QRegularExpressionMatch match = form.match(text);
    return match.hasMatch() && (match.capturedLength(1) > 0 || match.capturedLength(2) > 0);
}

// What a key filter lets through, as a person reads it.
QString filterDescription(const KeyFilter &filter)
{
    QStringList extras;
    for (const QChar c : filter.extras())
        extras.append(u'"' + QString(c) + u'"');
    if (extras.isEmpty())
        return QStringLiteral("digits");
    const QString last = extras.takeLast();
    return QStringLiteral("digits") + (extras.isEmpty() ? QString() : QStringLiteral(", ") + extras.join(QStringLiteral(", ")))
         + QStringLiteral(" and ") + last;
}

// The characters of `text` the field refuses, each named once, the first
// few only.
QString refusedCharacters(Field field, const QString &text)
{
    QList<char32_t> seen;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char32_t c = characterAt(text, i);
        if (c > 0xFFFF)
            ++i;
        // No field takes a character beyond 16 bits: Windows-1251 has none.
        if ((c > 0xFFFF || !acceptsTypedChar(field, QChar(char16_t(c)))) && !seen.contains(c))
            seen.append(c);
    }
    QStringList names;
    for (qsizetype i = 0; i < seen.size() && i < 3; ++i)
        names.append(characterName(seen[i]));
    if (seen.size() > 3)
        names.append(QStringLiteral("more"));
    const QString last = names.takeLast();
    return names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// Why the field for a part of a value would not take it as typed.
std::optional<QString> fieldProblem(Field field, const QString &text)
{
    // The window shows an unset PIN so; the write turns it into the
    // tracker's no-PIN bytes.
    if (field == F::edPinCode && text == noPinShownText())
        return std::nullopt;
    const std::optional<TypingRefusal> refusal = typingRefusal(field, text);
    if (!refusal)
        return std::nullopt;
    if (refusal->kind == TypingRefusal::Kind::Length) {
        return QStringLiteral("%1 is %2 characters long; the tracker keeps %3: shorten it")
            .arg(quoted(text))
            .arg(text.size())
            .arg(refusal->limit);
    }
    const KeyFilter *filter = keyFilterFor(field);
    if (filter && spreadsheetNumber(text)) {
        return QStringLiteral("%1 is a number as a spreadsheet shows it, not the digits as typed: "
                              "format the column as Text and export again")
            .arg(quoted(text));
    }
    return QStringLiteral("%1 holds %2; the field takes only %3: remove it")
        .arg(quoted(text), refusedCharacters(field, text),
             filter ? filterDescription(*filter) : QStringLiteral("one line without ';'"));
}

// Why a cell's value could not have come from the window; nullopt when it
// could.
std::optional<QString> valueProblem(Key key, const QString &cell)
{
    // The tracker and the profile files end a value at ';': the rest would
    // arrive as a value of its own.
    if (cell.contains(u';'))
        return QStringLiteral("a value may not hold ';': delete it from the cell");
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const QChar c = cell[i];
        if (c.category() == QChar::Other_Control || c.isSurrogate()) {
            return QStringLiteral("%1 holds %2, which no key types into a field: remove it")
                .arg(quoted(cell), characterName(characterAt(cell, i)));
        }
    }
    for (const QChar c : cell) {
        if (c.unicode() >= 0x80 && toCp1251(QString(c)) == QByteArray(1, kCp1251Unmappable)) {
            return QStringLiteral("%1 holds %2, a character Windows-1251 (the tracker's character set) "
                                  "cannot hold: replace it")
                .arg(quoted(cell), characterName(c));
        }
    }
    for (const auto &[field, text] : KeyTable::textItems(key, cell)) {
        if (const std::optional<QString> problem = fieldProblem(field, text))
            return problem;
    }
    return std::nullopt;
}

// A serial cell: the serial it plainly gives, or why it gives none. A
// spreadsheet turns a serial into "5001601.0" or "5.001601E+06"; read so
// when no digit was lost, never a rounded "5.0016E+06".
struct SerialCell {
    qint32 serial = 0;
    QString why;
};

SerialCell serialOf(const QString &cell)
{
    const QString text = cell.trimmed();
    if (text.isEmpty())
        return {0, QStringLiteral("the serial cell is empty")};
    static const QRegularExpression form(QStringLiteral("^\\+?([0-9]+)(?:[.,]([0-9]*))?(?:[Ee]([+-]?[0-9]{1,3}))?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return {0, QStringLiteral("%1 is no serial number").arg(quoted(cell))};
    QString digits = match.captured(1) + match.captured(2);
    // Where the decimal point stands after the exponent, from the left.
    qsizetype point = match.capturedLength(1) + match.captured(3).toInt();
    if (point > digits.size()) {
        return {0, QStringLiteral("%1 is a number a spreadsheet rounded: format the column as Text and export again")
                       .arg(quoted(cell))};
    }
    const QStringView fraction = QStringView(digits).mid(std::max<qsizetype>(point, 0));
    if (point < 0 || std::any_of(fraction.begin(), fraction.end(), [](QChar c) { return c != u'0'; }))
        return {0, QStringLiteral("%1 is no whole number, so no serial number").arg(quoted(cell))};
    digits.truncate(point);
    const std::optional<int> serial = strictInt(QStringView(digits));
    if (!serial || *serial <= 0)
        return {0, QStringLiteral("%1 is no serial number").arg(quoted(cell))};
    return {*serial, {}};
}

// The callbacks of the CSV reader build the table as the records come, so
// that a large table is held once, as rows, and never as text besides.
struct Builder {
    QStringDecoder utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    QStringList current;
    // The spreadsheet's row the current record is.
    int row = 1;
    // The last record ended at a CR: an LF right after it is the same line end.
    bool afterCr = false;
    QString error;

    QList<Column> columns;
    bool headerSeen = false;
    QList<ValuesRow> *rows = nullptr;
    // Rows without a usable serial: their numbers, and the first one's reason.
    QList<int> serialless;
    QString firstSerialProblem;

    void field(QByteArrayView bytes)
    {
        current.append(utf8.decode(bytes));
        if (utf8.hasError() && error.isEmpty())
            error = QStringLiteral("row %1 is not UTF-8 text; save the table as \"CSV UTF-8\"").arg(row);
    }

    void recordEnd(int terminator)
    {
        if (current.isEmpty() && terminator == '\n' && afterCr) {
            afterCr = false;
            return;
        }
        afterCr = terminator == '\r';
        if (error.isEmpty()) {
            if (!headerSeen)
                header();
            else if (!std::all_of(current.begin(), current.end(), [](const QString &cell) { return cell.isEmpty(); }))
                record();
        }
        current.clear();
        ++row;
    }

    void header()
    {
        // Blank lines above the header are no header.
        if (std::all_of(current.begin(), current.end(), [](const QString &cell) { return cell.trimmed().isEmpty(); }))
            return;
        headerSeen = true;
        QHash<Key, QString> named;
        for (const QString &cell : std::as_const(current)) {
            const QString name = cell.trimmed();
            const std::optional<Key> key = keyNamed(name);
            if (key && named.contains(*key)) {
                error = QStringLiteral("the columns %1 and %2 name the same key; delete one of them")
                            .arg(quoted(named.value(*key)), quoted(name));
                return;
            }
            if (key)
                named.insert(*key, name);
            columns.append({name, key});
        }
        const QString first = columns.first().name;
        if (first.compare(QLatin1String("serial"), Qt::CaseInsensitive) != 0) {
            error = QStringLiteral("row %1: the first column must be \"serial\", not %2").arg(row).arg(quoted(first));
            // "serial|DEVNAME": a separator this reader does not take.
            if (first.startsWith(QLatin1String("serial"), Qt::CaseInsensitive))
                error += QStringLiteral("; save the table as CSV (comma or semicolon)");
        }
    }

    CellProblem problem(qsizetype column, const QString &text) const
    {
        return {column < columns.size() ? columns[column].name : QString(), text, int(column)};
    }

    void record()
    {
        ValuesRow made;
        made.row = row;
        made.serialText = current.value(0);
        const SerialCell serial = serialOf(made.serialText);
        if (serial.serial == 0) {
            if (serialless.isEmpty())
                firstSerialProblem = serial.why;
            serialless.append(row);
            return;
        }
        made.serial = serial.serial;
        for (qsizetype i = 1; i < current.size(); ++i) {
            const QString &cell = current[i];
            if (cell.isEmpty())
                continue;
            if (i >= columns.size()) {
                made.problems.append(problem(i, QStringLiteral("a value beyond the last named column: delete it")));
            } else if (columns[i].name.isEmpty()) {
                made.problems.append(
                    problem(i, QStringLiteral("a value in a column without a name: delete it, or name the column "
                                              "after a key of the profile files")));
            } else if (!columns[i].key) {
                made.problems.append(problem(i, QStringLiteral("%1 names no key of the profile files: delete the "
                                                               "column or empty it")
                                                    .arg(quoted(columns[i].name))));
            } else if (const std::optional<QString> why = valueProblem(*columns[i].key, cell)) {
                made.problems.append(problem(i, *why));
            } else {
                made.values.append({*columns[i].key, cell, int(i)});
            }
        }
        rows->append(std::move(made));
    }
};

void onField(void *field, size_t size, void *data)
{
    static_cast<Builder *>(data)->field(QByteArrayView(static_cast<const char *>(field), qsizetype(size)));
}

void onRecordEnd(int terminator, void *data)
{
    static_cast<Builder *>(data)->recordEnd(terminator);
}

// Blanks around an unquoted cell are the cell's padding, not its text; with
// tab-separated columns a tab is a separator, never padding.
int isBlank(unsigned char c)
{
    return c == ' ';
}

int isPadding(unsigned char c)
{
    return c == ' ' || c == '\t';
}

// Spreadsheets in a comma-decimal locale export with ';', some with a tab.
// The header's first cell is "serial", so whichever separator ends it is
// the table's.
unsigned char separatorOf(QByteArrayView text)
{
    bool quoted = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == ',' || c == ';' || c == '\t'))
            return static_cast<unsigned char>(c);
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
    }
    return ',';
}

// Runs the CSV reader over the whole text; false with `builder.error` set
// when the quoting is broken.
bool readRecords(QByteArrayView text, Builder &builder)
{
    csv_parser parser{};
    // Strict: a stray quote is a broken table, not a value to guess at.
    // Every line end reported, so that rows count as a spreadsheet counts them.
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0) {
        builder.error = QStringLiteral("out of memory");
        return false;
    }
    const unsigned char separator = separatorOf(text);
    csv_set_delim(&parser, separator);
    csv_set_space_func(&parser, separator == '\t' ? isBlank : isPadding);
    const size_t used = csv_parse(&parser, text.data(), size_t(text.size()), onField, onRecordEnd, &builder);
    bool parsed = used == size_t(text.size());
    bool unclosed = false;
    if (parsed && csv_fini(&parser, onField, onRecordEnd, &builder) != 0) {
        parsed = false;
        unclosed = true;
    }
    if (!parsed && builder.error.isEmpty()) {
        if (csv_error(&parser) != CSV_EPARSE) {
            builder.error = QStringLiteral("out of memory");
        } else if (unclosed) {
            builder.error = QStringLiteral("row %1: a quoted cell is never closed; close its quote, or export the "
                                           "table again from the spreadsheet")
                                .arg(builder.row);
        } else {
            builder.error = QStringLiteral("row %1: a quote stands inside a cell that is not quoted, or after one "
                                           "that is; a cell holding quotes must be quoted whole, its own quotes "
                                           "doubled (\"VAN \"\"7\"\"\"): correct the row, or export the table again")
                                .arg(builder.row);
        }
    }
    csv_free(&parser);
    return builder.error.isEmpty();
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

    ValuesTable table;
    Builder builder;
    builder.rows = &table.m_rows;
    if (!readRecords(bytes, builder)) {
        *error = builder.error;
        return std::nullopt;
    }
    if (!builder.headerSeen) {
        *error = QStringLiteral("the table is empty");
        return std::nullopt;
    }
    if (!builder.serialless.isEmpty()) {
        const int first = builder.serialless.first();
        *error = builder.serialless.size() == 1
                     ? QStringLiteral("row %1 has no serial number (%2): give the row its tracker's serial, or "
                                      "delete the row")
                           .arg(first)
                           .arg(builder.firstSerialProblem)
                     : QStringLiteral("rows %1 have no serial number (row %2: %3): give each row its tracker's "
                                      "serial, or delete the row")
                           .arg(rowList(builder.serialless))
                           .arg(first)
                           .arg(builder.firstSerialProblem);
        return std::nullopt;
    }

    // Which of two rows of one serial was meant is anybody's guess: none
    // is used. One text per serial, shared by its rows; only serials given
    // more than once keep a list of their rows.
    table.m_firstRowOf.reserve(table.m_rows.size());
    QHash<qint32, QList<int>> repeated;
    for (qsizetype i = 0; i < table.m_rows.size(); ++i) {
        const ValuesRow &row = table.m_rows[i];
        const auto first = table.m_firstRowOf.constFind(row.serial);
        if (first == table.m_firstRowOf.cend()) {
            table.m_firstRowOf.insert(row.serial, i);
            continue;
        }
        QList<int> &rows = repeated[row.serial];
        if (rows.isEmpty())
            rows.append(table.m_rows[*first].row);
        rows.append(row.row);
    }
    QHash<qint32, QString> given;
    for (auto it = repeated.cbegin(); it != repeated.cend(); ++it) {
        given.insert(it.key(), QStringLiteral("serial %1 is given in rows %2; keep one row per tracker")
                                   .arg(it.key())
                                   .arg(rowList(it.value())));
    }
    if (!given.isEmpty()) {
        for (ValuesRow &row : table.m_rows) {
            const auto found = given.constFind(row.serial);
            if (found != given.cend())
                row.problems.append({builder.columns.first().name, *found, 0});
        }
    }
    return table;
}

const ValuesRow *ValuesTable::rowFor(qint32 serial) const
{
    const auto found = m_firstRowOf.constFind(serial);
    return found == m_firstRowOf.cend() ? nullptr : &m_rows[*found];
}

QString ValuesTable::columnLetters(int index)
{
    QString letters;
    for (int n = index + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QString ValuesTable::rowList(const QList<int> &rows)
{
    // Enough to find them in the spreadsheet, never a screenful.
    static constexpr int kRunsShown = 6;
    QStringList runs;
    qsizetype rowsLeft = 0;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype end = i;
        while (end + 1 < rows.size() && rows[end + 1] == rows[end] + 1)
            ++end;
        if (runs.size() < kRunsShown) {
            runs.append(end == i ? QString::number(rows[i])
                                 : QStringLiteral("%1–%2").arg(rows[i]).arg(rows[end]));
        } else {
            rowsLeft += end - i + 1;
        }
        i = end + 1;
    }
    if (rowsLeft > 0)
        return runs.join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(rowsLeft);
    if (runs.size() < 2)
        return runs.value(0);
    const QString last = runs.takeLast();
    return runs.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

} // namespace kvmt
