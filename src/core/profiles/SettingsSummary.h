#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

namespace kvmt {

class DeviceSettings;

// One line of the summary: a label and a value, of which only the value is
// coloured, by its LogKind (green set, blue not set or off, red suspicious).
struct SummaryRow {
    QString label; // up to and including "= "
    QString value;
    int kind = 0;

    QString line() const { return label + value; }
    // Characters before the value, which keep the pane's plain colour.
    int plainLength() const { return int(label.size()); }
    friend bool operator==(const SummaryRow &, const SummaryRow &) = default;
};

// The plain-language summary of every setting as the window holds it (what
// Save would write), one line per setting in a fixed order, built without a
// tracker. The window shows the rows in its summary pane; the command-line
// tool prints them.
class SettingsSummary
{
    Q_DECLARE_TR_FUNCTIONS(kvmt::SettingsSummary)

public:
    // Firmware decides which rows a tracker's summary has.
    static SettingsSummary build(const DeviceSettings &settings, quint32 firmwareVersion);

    const QList<SummaryRow> &rows() const { return m_rows; }
    // A control-zone radius that is no integer stops the build after the
    // longitude row; the person is told with this text's conversion message,
    // and the pane keeps the rows built so far without scrolling back up.
    const std::optional<QString> &badRadius() const { return m_badRadius; }
    bool complete() const { return !m_badRadius; }

private:
    class Builder;

    QList<SummaryRow> m_rows;
    std::optional<QString> m_badRadius;
};

} // namespace kvmt
