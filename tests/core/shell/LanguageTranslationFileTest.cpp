// Protects the English interface file kept in the repository: every text
// translated, nothing Russian left in it, and every placeholder of the
// Russian text kept in the same order, so that no message loses or swaps a
// value when it is filled in.
#include "QtPrinters.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

struct Entry {
    QString context;
    QString source;
    QString translation;
    QString type; // "unfinished", "vanished", "obsolete" or empty
};

QList<Entry> readTsFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Entry> entries;
    QXmlStreamReader xml(&file);
    QString context;
    Entry entry;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            entry = {context, {}, {}, {}};
        } else if (xml.name() == u"source") {
            entry.source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            entry.type = xml.attributes().value(QStringLiteral("type")).toString();
            entry.translation = xml.readElementText();
            entries.append(entry);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return entries;
}

// printf conversions ("%s", "%02d") and Qt's numbered arguments ("%1",
// "%L2"); "%%" is a literal percent sign and no placeholder.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("%(?:%|[-+#0]*\\d*(?:\\.\\d+)?(?:hh|h|ll|l)?[diouxXeEfgGcsp]|L?\\d{1,2}|n)"));
    QStringList found;
    for (const QRegularExpressionMatch &match : pattern.globalMatch(text)) {
        if (match.captured() != u"%%")
            found.append(match.captured());
    }
    return found;
}

bool hasCyrillic(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x400 && c.unicode() <= 0x4FF; });
}

class EnglishTranslationFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        entries = readTsFile(QStringLiteral(KVMT_TS_FILE));
        ASSERT_FALSE(entries.isEmpty()) << KVMT_TS_FILE;
    }

    static std::string where(const Entry &entry) { return (entry.context + QStringLiteral(": ") + entry.source).toStdString(); }

    QList<Entry> entries;
};

} // namespace

TEST(TranslationPlaceholders, AreFoundInTheFormsTheProgramUses)
{
    EXPECT_EQ(placeholders(QStringLiteral("Порт сервера = %s")), QStringList{QStringLiteral("%s")});
    EXPECT_EQ(placeholders(QStringLiteral("с %02d:%02d по %02d:%02d")), QStringList(4, QStringLiteral("%02d")));
    EXPECT_EQ(placeholders(QStringLiteral("Строка %1 из %L2, 100%% готово")),
              (QStringList{QStringLiteral("%1"), QStringLiteral("%L2")}));
    EXPECT_TRUE(placeholders(QStringLiteral("Сохранить ")).isEmpty());
}

TEST_F(EnglishTranslationFile, EveryTextIsTranslatedAndNoneIsLeftInRussian)
{
    for (const Entry &entry : entries) {
        if (entry.type == u"vanished" || entry.type == u"obsolete")
            continue;
        EXPECT_NE(entry.type, QStringLiteral("unfinished")) << where(entry);
        EXPECT_FALSE(entry.translation.isEmpty()) << where(entry);
        EXPECT_FALSE(hasCyrillic(entry.translation)) << where(entry) << " -> " << entry.translation.toStdString();
    }
}

TEST_F(EnglishTranslationFile, EveryTranslationKeepsThePlaceholdersInTheirOrder)
{
    for (const Entry &entry : entries) {
        if (entry.translation.isEmpty())
            continue;
        EXPECT_EQ(placeholders(entry.translation), placeholders(entry.source))
            << where(entry) << " -> " << entry.translation.toStdString();
    }
}

// The tracker's key lines ("GSMPIN error", "Pin Ok") read the same in every
// language: service staff compare them with the protocol's key names.
TEST_F(EnglishTranslationFile, TheTrackersKeyLinesAreNotTranslatable)
{
    static const QRegularExpression keyLine(QStringLiteral("^[A-Z0-9_]+ error$"));
    for (const Entry &entry : entries) {
        EXPECT_FALSE(keyLine.match(entry.source).hasMatch()) << where(entry);
        EXPECT_NE(entry.source, QStringLiteral("Pin Ok")) << where(entry);
    }
}
