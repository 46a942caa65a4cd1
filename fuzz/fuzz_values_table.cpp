// Provisioning's values tables: whatever the bytes, the table is refused with
// a reason or every row keeps its promises: numbered after the header in
// order, values only non-empty and free of ';', a row without a serial or
// with a serial given twice refused, and each serial found again by its row.
#include "provision/ValuesTable.h"

#include "FuzzCheck.h"

#include <QHash>
#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const std::optional<kvmt::ValuesTable> table = kvmt::ValuesTable::parse(bytes, &error);
    FUZZ_CHECK(table.has_value() == error.isEmpty());
    if (!table)
        return 0;
    QHash<qint32, int> rowsOfSerial;
    int previous = 1;
    for (const kvmt::ValuesRow &row : table->rows()) {
        FUZZ_CHECK(row.row > previous);
        previous = row.row;
        FUZZ_CHECK(row.serial >= 0);
        if (row.serial == 0)
            FUZZ_CHECK(!row.problems.isEmpty());
        else
            ++rowsOfSerial[row.serial];
        for (const kvmt::TableValue &value : row.values)
            FUZZ_CHECK(!value.value.isEmpty() && !value.value.contains(u';'));
    }
    for (const kvmt::ValuesRow &row : table->rows()) {
        if (row.serial == 0)
            continue;
        FUZZ_CHECK(table->rowFor(row.serial) && table->rowFor(row.serial)->serial == row.serial);
        if (rowsOfSerial.value(row.serial) > 1)
            FUZZ_CHECK(!row.problems.isEmpty());
    }
    return 0;
}
