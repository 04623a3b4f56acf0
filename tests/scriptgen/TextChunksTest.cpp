#include "scriptgen/TextChunks.h"

#include <gtest/gtest.h>

using namespace vendrel;

TEST(TextChunksTest, AppendsAndSplicesAcrossBlocksInUtf8)
{
    TextChunks first;
    EXPECT_TRUE(first.pieces().empty());
    EXPECT_EQ(first.toUtf8(), QByteArray());
    first.append(u"a\r\n");
    first.append(QStringLiteral("Grüße ") % QString::number(1) % u'\u20ac'); // a builder
    const QString big(3 << 20, u'x');                                        // more than one block holds
    first.append(big);
    TextChunks second;
    second.append(QStringLiteral("\U0001F600 end")); // a surrogate pair
    first.splice(std::move(second));
    EXPECT_EQ(second.size(), 0);

    const QString expected = QStringLiteral("a\r\nGrüße 1\u20ac") + big + QStringLiteral("\U0001F600 end");
    EXPECT_EQ(first.toString(), expected);
    EXPECT_EQ(first.toUtf8(), expected.toUtf8());
    EXPECT_EQ(first.size(), expected.toUtf8().size());
    QByteArray joined;
    const auto pieces = first.pieces();
    EXPECT_GE(pieces.size(), 3u);
    for (const QByteArrayView piece : pieces)
        joined += piece;
    EXPECT_EQ(joined, expected.toUtf8());
}
