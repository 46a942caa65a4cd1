#pragma once

#include <QString>
#include <QStringView>

namespace kvmt {

// Text from outside (a table's cells, a file's name, a header) as it may be
// printed on a terminal: control characters written as escapes (\n, \t,
// \x1B, \u{2028}), so that a stray escape sequence in a file cannot move the
// cursor or recolour the screen, and a line break cannot fake a line of
// output. Everything else stands as it is.
QString visibleText(QStringView text);

// A character as a message names it: "x", a blank, or its escape.
QString characterName(QChar c);

} // namespace kvmt
