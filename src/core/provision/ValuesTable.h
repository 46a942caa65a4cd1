#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

#include "settings/KeyTable.h"

namespace kvmt {

// A value a table row gives one key of one tracker.
struct TableValue {
    Key key = Key::GSMPIN;
    QString value;
    // Its column, 0 for A.
    int column = -1;
    friend bool operator==(const TableValue &, const TableValue &) = default;
};

// Why a row, or one value of it, cannot be used.
struct CellProblem {
    QString column; // as the header names it
    QString text;
    // The column as a spreadsheet letters it, 0 for A; -1 for the row as a
    // whole (the profile it would make, say).
    int columnIndex = -1;
    friend bool operator==(const CellProblem &, const CellProblem &) = default;
};

struct ValuesRow {
    // Numbered as a spreadsheet numbers its rows: the header is row 1, and
    // every line counts, blank ones too.
    int row = 0;
    // Always a serial number: a table with a row that has none is refused.
    qint32 serial = 0;
    QString serialText;
    // The row's non-empty cells of key columns, in column order.
    QList<TableValue> values;
    // Empty for a row that may be used.
    QList<CellProblem> problems;
};

// The per-tracker values of a provisioning run, as a spreadsheet exports
// them: CSV with RFC 4180 quoting, UTF-8 with or without a byte-order mark,
// separated by comma, semicolon or tab (whichever ends the header's first
// cell). The first column is "serial", each other column a key of the
// profile files. An empty cell keeps the file's value.
//
// Every value must be one a person could have typed into the window's field
// for it: the field's key filter, its length limit, no control character,
// nothing Windows-1251 lacks. Ranges are the editing rules' business and
// are checked when the row is loaded into a tracker's settings.
//
// Faults of a single row (a value the field would not take, a value in a
// column that is no key, a serial given twice) are kept with the row, so
// that one bad row costs only its own tracker; faults that leave no row
// trustworthy (no header, the first column not "serial", a column named
// twice, broken quoting, no UTF-8, a row without a usable serial) make the
// whole table unusable, before any tracker is touched.
class ValuesTable
{
public:
    // A fleet's table is a few hundred kilobytes; anything near this is
    // no table of values.
    static constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

    // nullopt, with the reason in `error`, when the table cannot be used.
    static std::optional<ValuesTable> read(const QString &path, QString *error);
    static std::optional<ValuesTable> parse(QByteArrayView bytes, QString *error);

    const QList<ValuesRow> &rows() const { return m_rows; }
    // The first row of that serial; nullptr when none names it.
    const ValuesRow *rowFor(qint32 serial) const;

    // "A", "B", ... "Z", "AA": a column as a spreadsheet heads it.
    static QString columnLetters(int index);
    // Row numbers, ascending, as a person reads a list of them: runs
    // joined ("2–2001"), the rest after the first few counted.
    static QString rowList(const QList<int> &rows);

private:
    QList<ValuesRow> m_rows;
    QHash<qint32, qsizetype> m_firstRowOf;
};

} // namespace kvmt
