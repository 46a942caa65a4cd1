// Protects the settings buffer: the key lookup that profile files are read
// with, and that nothing is ever stored or read past the buffer.
#include "settings/SettingsBuffer.h"

#include <gtest/gtest.h>

using namespace kvmt;

namespace {

std::optional<QByteArray> lookup(const QByteArray &file, const char *key)
{
    SettingsBuffer buffer;
    EXPECT_EQ(buffer.load(file), SettingsBuffer::LoadResult::Loaded);
    return buffer.lookupKey(key);
}

} // namespace

TEST(SettingsBuffer, LookupMatchesWholeKeysCaseSensitivelyAndTheFirstWins)
{
    const QByteArray file = "SMTPTO10=x;\r\nGSMPIN=1111;\r\nGSMPIN=2222;\r\nsmtpto1=y;\r\nSMTPTO1=z;\r\nEMPTY=;\r\n";
    EXPECT_EQ(lookup(file, "GSMPIN"), QByteArray("1111"));
    EXPECT_EQ(lookup(file, "SMTPTO1"), QByteArray("z"));
    EXPECT_EQ(lookup(file, "EMPTY"), QByteArray(""));
    EXPECT_EQ(lookup(file, "SMTPTO"), std::nullopt);
    EXPECT_EQ(lookup(file, "MISSING"), std::nullopt);

}

// A value that held a ';' is no value however its line ends, and the entry
// after it is whole; files the program writes are never cut.
TEST(SettingsBuffer, EntryWithBytesAfterItsFirstSemicolonIsCutAndTheNextLineIsWhole)
{
    struct Case {
        const char *what;
        QByteArray file;
        QByteArrayList cut;
        QList<std::pair<const char *, std::optional<QByteArray>>> lookups;
        // Of `cut`, those whose line ends in a bare LF.
        QByteArrayList cutAtLf = {};
    };
    const Case cases[] = {
        {"line ends in ';'", "SMTPPASS=a;b;\r\nSMTPFROM=me;\r\nDEVNAME=x;y;z;\r\nGSMPIN=1;\r\n",
         {"SMTPPASS", "DEVNAME"},
         {{"SMTPPASS", std::nullopt}, {"SMTPFROM", "me"}, {"DEVNAME", std::nullopt}, {"GSMPIN", "1"}}},
        {"line does not end in ';'", "SERVERPASS=ab;cd\r\nSERVER=next.example;\r\n", {"SERVERPASS"},
         {{"SERVERPASS", std::nullopt}, {"SERVER", "next.example"}}},
        {"last entry without CR LF", "GSMPIN=1;\r\nSMTPTO4=x@y;z;", {"SMTPTO4"},
         {{"GSMPIN", "1"}, {"SMTPTO4", std::nullopt}}},
        {"as the program writes it", "NUMBER=5001500;\r\nGSMPIN=1;\r\nSMTPTO4=x@y;\r\nEMPTY=;\r\n", {},
         {{"GSMPIN", "1"}, {"SMTPTO4", "x@y"}, {"EMPTY", ""}}},
        {"last entry ends the file at its ';'", "GSMPIN=1;\r\nSMTPTO4=x@y;", {},
         {{"GSMPIN", "1"}, {"SMTPTO4", "x@y"}}},
        {"one line ends in LF only", "GSMPIN=1;\r\nDEVNAME=x;\nSERVER=s;\r\nSMTPPASS=a;b;\r\nSMSEN=1;\r\n",
         {"DEVNAME", "SMTPPASS"},
         {{"GSMPIN", "1"}, {"DEVNAME", std::nullopt}, {"SERVER", std::nullopt}, {"SMSEN", "1"}},
         {"DEVNAME"}},
        {"every line ends in LF only", "GSMPIN=1;\nDEVNAME=x;y;\n", {"GSMPIN"}, {{"GSMPIN", std::nullopt}},
         {"GSMPIN"}},
        {"last entry ends in LF only", "GSMPIN=1;\r\nDEVNAME=x;\n", {"DEVNAME"},
         {{"GSMPIN", "1"}, {"DEVNAME", std::nullopt}}, {"DEVNAME"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SettingsBuffer buffer;
        ASSERT_EQ(buffer.load(c.file), SettingsBuffer::LoadResult::Loaded);
        EXPECT_EQ(buffer.keysWithCutValues(), c.cut);
        EXPECT_EQ(buffer.keysCutAtLineFeeds(), c.cutAtLf);
        for (const auto &[key, value] : c.lookups)
            EXPECT_EQ(buffer.lookupKey(key), value) << key;
    }
}

TEST(SettingsBuffer, SingleByteLineEndsLeaveNoEntryReadable)
{
    // Without a CR LF the first entry runs to the end of the file: cut.
    const QByteArray file = "A=1;\nB=2;\nC=3;\n";
    EXPECT_EQ(lookup(file, "A"), std::nullopt);
    EXPECT_EQ(lookup(file, "B"), std::nullopt);
    EXPECT_EQ(lookup(file, "C"), std::nullopt);
    EXPECT_EQ(lookup("A=1;\r\nB=2", "B"), std::nullopt); // no closing ';'
}

TEST(SettingsBuffer, LookupNeverReadsPastTheLoadedBytes)
{
    SettingsBuffer buffer;
    ASSERT_EQ(buffer.load("FIRST=1;\r\nSECOND=2;\r\n"), SettingsBuffer::LoadResult::Loaded);
    ASSERT_EQ(buffer.load("FIRST=9;\r\n"), SettingsBuffer::LoadResult::Loaded);
    EXPECT_EQ(buffer.lookupKey("FIRST"), QByteArray("9"));
    EXPECT_EQ(buffer.lookupKey("SECOND"), std::nullopt);
    buffer.forgetLoaded();
    EXPECT_EQ(buffer.lookupKey("FIRST"), std::nullopt);
}

TEST(SettingsBuffer, LoadRefusesEmptyAndOversizedFilesAndKeepsWhatItHeld)
{
    SettingsBuffer buffer;
    ASSERT_EQ(buffer.load("K=v;\r\n"), SettingsBuffer::LoadResult::Loaded);
    EXPECT_EQ(buffer.load(QByteArray()), SettingsBuffer::LoadResult::Empty);
    EXPECT_EQ(buffer.load(QByteArray(SettingsBuffer::kCapacity + 1, 'x')), SettingsBuffer::LoadResult::TooLarge);
    EXPECT_EQ(buffer.lookupKey("K"), QByteArray("v"));

    QByteArray full = "K=" + QByteArray(SettingsBuffer::kCapacity - 5, 'w') + ";\r\n";
    ASSERT_EQ(full.size(), SettingsBuffer::kCapacity);
    EXPECT_EQ(buffer.load(full), SettingsBuffer::LoadResult::Loaded);
    EXPECT_EQ(buffer.lookupKey("K")->size(), SettingsBuffer::kCapacity - 5);
}

TEST(SettingsBuffer, AppendRefusesALineThatWouldNotFitWholeAndKeepsTheRest)
{
    SettingsBuffer buffer;
    ASSERT_TRUE(buffer.appendLine("A=1;"));
    const QByteArray exact(SettingsBuffer::kCapacity - 6 - 2, 'x');
    EXPECT_FALSE(buffer.appendLine(exact + 'y'));
    EXPECT_EQ(buffer.fillLength(), 6);
    EXPECT_TRUE(buffer.appendLine(exact));
    EXPECT_EQ(buffer.fillLength(), SettingsBuffer::kCapacity);
    EXPECT_FALSE(buffer.appendLine(""));
    EXPECT_EQ(buffer.filled(), "A=1;\r\n" + exact + "\r\n");

    // A write starts at the front again; what was loaded keeps its length.
    ASSERT_EQ(buffer.load("GSMPIN=1;\r\nGSMAPN=apn;\r\n"), SettingsBuffer::LoadResult::Loaded);
    buffer.resetFill();
    ASSERT_TRUE(buffer.appendLine("GSMPIN=2;"));
    EXPECT_EQ(buffer.loadedLength(), 24);
    EXPECT_EQ(buffer.lookupKey("GSMPIN"), QByteArray("2"));
    EXPECT_EQ(buffer.lookupKey("GSMAPN"), QByteArray("apn"));
}
