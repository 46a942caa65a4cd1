#include "text/VisibleText.h"

namespace kvmt {

namespace {

bool needsEscape(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:       // C0, DEL and C1, ESC and CSI among them
    case QChar::Other_Format:        // U+200B, U+202E, U+FEFF, tags
    case QChar::Separator_Line:      // U+2028
    case QChar::Separator_Paragraph: // U+2029
    case QChar::Other_Surrogate:     // half a pair: no character at all
        return true;
    default:
        return false;
    }
}

QString escapeOf(char32_t c)
{
    switch (c) {
    case U'\n':
        return QStringLiteral("\\n");
    case U'\r':
        return QStringLiteral("\\r");
    case U'\t':
        return QStringLiteral("\\t");
    default:
        break;
    }
    if (c < 0x100)
        return QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0')).toUpper().replace(u'X', u'x');
    return QStringLiteral("\\u{%1}").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper().replace(u'U', u'u');
}

// The first kExcerptLength characters, a surrogate pair never split.
QStringView excerptOf(QStringView text)
{
    qsizetype end = kExcerptLength;
    if (text[end - 1].isHighSurrogate() && text[end].isLowSurrogate())
        ++end;
    return text.first(end);
}

QString lengthNote(QStringView text)
{
    return QStringLiteral(" (%1 characters)").arg(text.size());
}

} // namespace

QString visibleText(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A whole pair is one character.
        const char32_t c = characterAt(text, i);
        const qsizetype length = c > 0xFFFF ? 2 : 1;
        if (needsEscape(c))
            shown.append(escapeOf(c));
        else
            shown.append(text.sliced(i, length));
        i += length - 1;
    }
    return shown;
}

QString quotedExcerpt(QStringView text)
{
    if (text.size() <= kExcerptLength)
        return u'"' + visibleText(text) + u'"';
    return u'"' + visibleText(excerptOf(text)) + QStringLiteral("…\"") + lengthNote(text);
}

QString visibleExcerpt(QStringView text)
{
    if (text.size() <= kExcerptLength)
        return visibleText(text);
    return visibleText(excerptOf(text)) + u'…' + lengthNote(text);
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

QString characterName(char32_t c)
{
    if (c <= 0xFFFF)
        return characterName(QChar(char16_t(c)));
    return u'"' + visibleText(QString::fromUcs4(&c, 1)) + u'"';
}

char32_t characterAt(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[i + 1]);
    return c.unicode();
}

} // namespace kvmt
