#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

#include "settings/KeyTable.h"

namespace kvmt {

// A value a table row gives one key of one tracker.
struct TableValue {
    Key key = Key::GSMPIN;
    QString value;
    friend bool operator==(const TableValue &, const TableValue &) = default;
};

// Why a row, or one value of it, cannot be used.
struct CellProblem {
    QString column; // as the header names it
    QString text;
    friend bool operator==(const CellProblem &, const CellProblem &) = default;
};

struct ValuesRow {
    // Numbered as a spreadsheet numbers its rows: the header is row 1.
    int row = 0;
    // 0 when the serial cell holds no serial number.
    qint32 serial = 0;
    QString serialText;
    // The row's non-empty cells of key columns, in column order.
    QList<TableValue> values;
    // Empty for a row that may be used.
    QList<CellProblem> problems;
};

// The per-tracker values of a provisioning run, as a spreadsheet exports
// them: CSV with RFC 4180 quoting, UTF-8 with or without a byte-order mark,
// comma- or semicolon-separated (whichever ends the header's first cell).
// The first column is "serial", each other column a key of the profile
// files. An empty cell keeps the file's value.
//
// Faults of a single row (a value in a column that is no key, a serial given
// twice, a value holding ';') are kept with the row, so that one bad row
// costs only its own tracker; faults that leave no row trustworthy (no
// header, the first column not "serial", a column named twice, broken
// quoting, no UTF-8) make the whole table unreadable.
class ValuesTable
{
public:
    // A fleet's table is a few hundred kilobytes; anything near this is
    // no table of values.
    static constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

    // nullopt, with the reason in `error`, when the table cannot be read.
    static std::optional<ValuesTable> read(const QString &path, QString *error);
    static std::optional<ValuesTable> parse(QByteArrayView bytes, QString *error);

    const QList<ValuesRow> &rows() const { return m_rows; }
    // The row of that serial; nullptr when none names it.
    const ValuesRow *rowFor(qint32 serial) const;

private:
    QList<ValuesRow> m_rows;
};

} // namespace kvmt
