// Provisioning's values tables: whatever the bytes, the table is refused with
// a reason or every row keeps its promises: numbered after the header in
// order, each with a serial, values only non-empty and each part of them one
// its field could have been typed into, a serial given twice refused, and
// each serial found again by its first row.
#include "provision/ValuesTable.h"

#include "FuzzCheck.h"
#include "profiles/KeyFilters.h"

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
        FUZZ_CHECK(row.serial > 0);
        ++rowsOfSerial[row.serial];
        for (const kvmt::TableValue &value : row.values) {
            FUZZ_CHECK(!value.value.isEmpty() && !value.value.contains(u';'));
            for (const auto &[field, text] : kvmt::KeyTable::textItems(value.key, value.value)) {
                FUZZ_CHECK(!kvmt::typingRefusal(field, text).has_value()
                           || (field == kvmt::F::edPinCode && text == kvmt::noPinShownText()));
            }
        }
    }
    for (const kvmt::ValuesRow &row : table->rows()) {
        const kvmt::ValuesRow *first = table->rowFor(row.serial);
        FUZZ_CHECK(first && first->serial == row.serial && first->row <= row.row);
        if (rowsOfSerial.value(row.serial) > 1)
            FUZZ_CHECK(!row.problems.isEmpty());
    }
    return 0;
}
