#include "text/VisibleText.h"

namespace kvmt {

namespace {

bool needsEscape(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control:       // C0, DEL and C1, ESC and CSI among them
    case QChar::Separator_Line:      // U+2028
    case QChar::Separator_Paragraph: // U+2029
    case QChar::Other_Surrogate:     // half a pair: no character at all
        return true;
    default:
        return false;
    }
}

QString escapeOf(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
        return QStringLiteral("\\n");
    case u'\r':
        return QStringLiteral("\\r");
    case u'\t':
        return QStringLiteral("\\t");
    default:
        break;
    }
    if (c.unicode() < 0x100)
        return QStringLiteral("\\x%1").arg(int(c.unicode()), 2, 16, QLatin1Char('0')).toUpper().replace(u'X', u'x');
    return QStringLiteral("\\u{%1}").arg(int(c.unicode()), 4, 16, QLatin1Char('0')).toUpper().replace(u'U', u'u');
}

} // namespace

QString visibleText(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A whole pair is one character, printable as it stands.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            shown.append(c);
            shown.append(text[++i]);
            continue;
        }
        if (needsEscape(c))
            shown.append(escapeOf(c));
        else
            shown.append(c);
    }
    return shown;
}

QString characterName(QChar c)
{
    if (c == u' ')
        return QStringLiteral("a blank");
    if (c == u'\u00A0')
        return QStringLiteral("a non-breaking blank");
    if (c == u'\n' || c == u'\r')
        return QStringLiteral("a line break");
    if (c == u'\t')
        return QStringLiteral("a tab");
    return u'"' + visibleText(QStringView(&c, 1)) + u'"';
}

} // namespace kvmt
