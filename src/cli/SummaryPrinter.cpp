#include "cli/SummaryPrinter.h"

#include "log/EventLog.h"
#include "profiles/SettingsSummary.h"

#include <QFile>
#include <QJsonObject>

#include <cstdlib>
#include <unistd.h>

namespace kvmt {

namespace {

// The window's three value colours; anything else is the plain colour.
const char *ansiColour(int kind)
{
    switch (kind) {
    case LogError:
        return "\x1b[31m";
    case LogSuccess:
        return "\x1b[32m";
    case LogNotice:
        return "\x1b[34m";
    default:
        return "";
    }
}

constexpr char kAnsiReset[] = "\x1b[0m";

} // namespace

void printSummary(const SettingsSummary &summary, QTextStream &out, bool colours)
{
    for (const SummaryRow &row : summary.rows()) {
        if (colours)
            out << row.label << ansiColour(row.kind) << row.value << kAnsiReset << '\n';
        else
            out << logKindName(row.kind) << ": " << row.line() << '\n';
    }
    out.flush();
}

QJsonArray summaryRowsJson(const SettingsSummary &summary)
{
    QJsonArray rows;
    for (const SummaryRow &row : summary.rows()) {
        QString label = row.label.trimmed();
        if (label.endsWith(u'='))
            label = label.chopped(1).trimmed();
        rows.append(QJsonObject{{QStringLiteral("label"), label},
                                {QStringLiteral("value"), row.value},
                                {QStringLiteral("kind"), QString::fromLatin1(logKindName(row.kind))}});
    }
    return rows;
}

bool isColourTerminal(const QTextStream &out)
{
    const auto *file = qobject_cast<const QFile *>(out.device());
    if (!file || file->handle() < 0 || !::isatty(file->handle()))
        return false;
    // The common convention for "no colours, please".
    const char *noColour = std::getenv("NO_COLOR");
    return !(noColour && *noColour);
}

} // namespace kvmt
