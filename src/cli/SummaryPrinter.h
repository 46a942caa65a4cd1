#pragma once

#include <QJsonArray>
#include <QTextStream>

namespace kvmt {

class SettingsSummary;

// The settings summary as text. On a terminal the value is coloured as the
// window colours it and the label stays plain; elsewhere each line starts
// with the value's kind ("success: Порт сервера = 2225"), for scripts.
void printSummary(const SettingsSummary &summary, QTextStream &out, bool colours);

// The rows as JSON objects: "label" (without the " = "), "value" and
// "kind" (success, notice, error or plain).
QJsonArray summaryRowsJson(const SettingsSummary &summary);

// Whether `out` writes to a terminal that shows colours.
bool isColourTerminal(const QTextStream &out);

} // namespace kvmt
