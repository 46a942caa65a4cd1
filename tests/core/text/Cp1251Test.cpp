// Protects the Windows-1251 conversion at the protocol and file edges.
#include "text/Cp1251.h"

#include <gtest/gtest.h>

using namespace kvmt;

TEST(Cp1251, EveryByteRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(toCp1251(fromCp1251(all)), all);
}

TEST(Cp1251, CyrillicAndSymbolsMapToTheirBytes)
{
    EXPECT_EQ(toCp1251(QStringLiteral("Яндекс карты")), QByteArray("\xDF\xED\xE4\xE5\xEA\xF1 \xEA\xE0\xF0\xF2\xFB"));
    EXPECT_EQ(fromCp1251("\xB8\xA8\xB9"), QStringLiteral("ёЁ№"));
    EXPECT_EQ(toCp1251(QStringLiteral("°C")), QByteArray("\xB0" "C"));
}

TEST(Cp1251, NoPinValueIsFourBytesFF)
{
    const QByteArray noPin(4, '\xFF');
    EXPECT_EQ(fromCp1251(noPin), QStringLiteral("яяяя"));
    EXPECT_EQ(toCp1251(QStringLiteral("яяяя")), noPin);
}

TEST(Cp1251, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(toCp1251(QStringLiteral("a€中b")), QByteArray("a\x88?b"));
    // A character outside the basic plane is two UTF-16 units, both unmappable.
    EXPECT_EQ(toCp1251(QString::fromUtf8("\xF0\x9F\x98\x80")), QByteArray("??"));
}
