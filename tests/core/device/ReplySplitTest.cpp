// Protects the split of a tracker reply into key and value.
#include "device/ReplySplit.h"

#include <gtest/gtest.h>

using namespace kvmt;

struct SplitCase {
    QByteArray reply;
    QByteArray key;
    QByteArray value;
};

class ReplySplitTest : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(ReplySplitTest, SplitsAtFirstEqualsAndLastSemicolon)
{
    const SplitCase &c = GetParam();
    const SplitReply split = splitReply(c.reply);
    EXPECT_EQ(split.key, c.key) << c.reply.constData();
    EXPECT_EQ(split.value, c.value) << c.reply.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplySplitTest,
    ::testing::Values(SplitCase{"NUMBER=4711;", "NUMBER", "4711"}, SplitCase{"GPSPERIOD=0,30;", "GPSPERIOD", "0,30"},
                      SplitCase{"KEY=;", "KEY", ""}, SplitCase{"KEY=5", "KEY", ""},
                      SplitCase{"A=1;B=2;", "A", "1;B=2"}, SplitCase{"DEVLOCK;", "DEVLOCK;", ""},
                      SplitCase{"NO_CMD", "NO_CMD", ""}, SplitCase{"#ACCLEN=1,1;", "#ACCLEN", "1,1"},
                      // A ';' before the first '=' is part of the key; a later '=' part of the value.
                      SplitCase{"A;B=1=2;", "A;B", "1=2"},
                      SplitCase{"=5;", "", "5"},
                      // The value ends at the last ';', whatever follows it.
                      SplitCase{"K=v;tail", "K", "v"}),
    [](const auto &info) { return "Case" + std::to_string(info.index); });

TEST(ReplySplit, ReplyWithoutEqualsEndsAtFirstNul)
{
    const QByteArray reply("WRONG\0junk", 10);
    EXPECT_EQ(splitReply(reply).key, "WRONG");
}

TEST(ReplySplit, NulInsideKeyOrValueEndsThatField)
{
    const SplitReply split = splitReply(QByteArray("AB\0C=1\0" "2;", 9));
    EXPECT_EQ(split.key, "AB");
    EXPECT_EQ(split.value, "1");
}

TEST(ReplySplit, LongKeysAndValuesAreKeptWhole)
{
    // A 96-character map template must survive a read.
    const QByteArray value(96, 'x');
    const SplitReply split = splitReply("MAPTEMPLATE1=" + value + ";");
    EXPECT_EQ(split.value, value);
    const QByteArray key(100, 'K');
    EXPECT_EQ(splitReply(key + "=1;").key, key);
}

TEST(ReplySplit, EmptyInputGivesEmptyFields)
{
    const SplitReply split = splitReply(nullptr, 0);
    EXPECT_TRUE(split.key.isEmpty());
    EXPECT_TRUE(split.value.isEmpty());
}
