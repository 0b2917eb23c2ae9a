#include "platform/PathUtil.h"
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

TEST(TextCodec, Latin1StaysSingleByteAndUtf8IsKept)
{
    struct Case { QString text; QByteArray bytes; };
    const Case cases[] = {
        {QString::fromUtf8("préVersion : 0.56"), QByteArray("pr\xE9Version : 0.56")},
        {QStringLiteral("plain"), QByteArray("plain")},
        // A name outside Latin-1 is written as UTF-8, never as '?'.
        {QString::fromUtf8("Луна.bmp"), QString::fromUtf8("Луна.bmp").toUtf8()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encodeFileText(c.text), c.bytes);
        EXPECT_EQ(decodeFileText(c.bytes), c.text);
    }
    // Latin-1 bytes that happen not to be valid UTF-8 read as Latin-1.
    EXPECT_EQ(decodeFileText(QByteArray("Z\xF4ne")), QString::fromUtf8("Zône"));
    // Overlong UTF-8 forms are not UTF-8.
    EXPECT_EQ(decodeFileText(QByteArray("\xC0\xAF")), QString::fromLatin1("\xC0\xAF"));
}

TEST(TextCodec, TruncationNeverSplitsUtf8)
{
    const QByteArray utf8 = QString::fromUtf8("ééé").toUtf8();  // three two-byte letters
    EXPECT_EQ(truncateEncoded(utf8, 5), QString::fromUtf8("éé").toUtf8());
    EXPECT_EQ(truncateEncoded(QByteArray("\xE9\xE9\xE9"), 2), QByteArray("\xE9\xE9"));
    EXPECT_EQ(truncateEncoded(QByteArray("abc"), 5), QByteArray("abc"));
}

TEST(PathUtil, DirectoryAndNameParts)
{
    EXPECT_EQ(directoryPart("/a/b/c.bmp"), "/a/b/");
    EXPECT_EQ(namePart("/a/b/c.bmp"), "c.bmp");
    EXPECT_EQ(directoryPart("c.bmp"), "");
    EXPECT_EQ(namePart("/a/"), "");
    EXPECT_EQ(withTrailingSlash("/a"), "/a/");
    EXPECT_EQ(withTrailingSlash("/"), "/");
}
