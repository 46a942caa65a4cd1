#pragma once

#include <QString>
#include <QStringView>

namespace kvmt {

// Text from outside (a table's cells, a file's name, a header) as it may be
// printed on a terminal: control characters written as escapes (\n, \t,
// \x1B, \u{2028}), so that a stray escape sequence in a file cannot move the
// cursor or recolour the screen, and a line break cannot fake a line of
// output. So are the format characters nobody sees (a zero-width space, a
// byte-order mark, a direction override that shows a text backwards), so
// that a value cannot pass for another. Everything else stands as it is.
QString visibleText(QStringView text);

// The same, quoted for a message: a text of more than kExcerptLength
// characters shows its beginning, an ellipsis and its length
// ("AAAA…" (100000 characters)), so that a document pasted into one cell
// does not fill the screen.
inline constexpr qsizetype kExcerptLength = 60;
QString quotedExcerpt(QStringView text);
// Unquoted, for a name in parentheses: AAAA… (100000 characters).
QString visibleExcerpt(QStringView text);

// A character as a message names it: "x", a blank, or its escape.
QString characterName(QChar c);
// The same for a character beyond 16 bits (a surrogate pair in a QString).
QString characterName(char32_t c);
// The character at `i`, whole: a surrogate pair as one.
char32_t characterAt(QStringView text, qsizetype i);

} // namespace kvmt
