#include "platform/PathUtil.h"
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

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

TEST(TextCodec, EveryValueReadsBackEqual)
{
    // Latin-1 only when those bytes cannot be taken for UTF-8; the bytes are given for the cases
    // where the choice matters.
    struct Case { QString text; QByteArray bytes; };
    const Case cases[] = {
        {QString::fromUtf8("Ã©.bmp"), QByteArray("\xC3\x83\xC2\xA9.bmp")},  // C3 A9 would read as "é"
        {QString::fromUtf8("é.bmp"), QByteArray("\xE9.bmp")},
        {QString::fromLatin1("\xE2\x82\xAC"), QByteArray("\xC3\xA2\xC2\x82\xC2\xAC")},  // would read as "€"
        {QString::fromLatin1("\xC3\xA9\xFF"), QByteArray("\xC3\xA9\xFF")},  // not UTF-8 as a whole
        {QString::fromLatin1("\xC0\xAF"), QByteArray("\xC0\xAF")},            // overlong: not UTF-8
        {QString::fromUtf8("Луна é 🌙.jpg"), QString::fromUtf8("Луна é 🌙.jpg").toUtf8()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encodeFileText(c.text), c.bytes) << c.text.toStdString();
        EXPECT_EQ(decodeFileText(encodeFileText(c.text)), c.text) << c.text.toStdString();
    }

    // Random texts over the characters that make the choice hard: every value reads back, and every
    // cut of its bytes reads back as a beginning of it.
    const char16_t alphabet[] = {'a', '.', ' ', 0x80, 0x82, 0xA9, 0xAC, 0xBF, 0xC2, 0xC3, 0xE2, 0xE9, 0xF0,
                                 0xFF, 0x41B, 0x20AC};
    std::mt19937 rng(5);
    for (int i = 0; i < 3000; ++i) {
        QString text;
        const int len = int(rng() % 8);
        for (int k = 0; k < len; ++k) {
            if (rng() % 12 == 0)
                text += QString::fromUtf8("🌙");
            else
                text += QChar(alphabet[rng() % std::size(alphabet)]);
        }
        const QByteArray bytes = encodeFileText(text);
        ASSERT_EQ(decodeFileText(bytes), text) << bytes.toHex().toStdString();
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            const QByteArray part = truncateEncoded(bytes, cut);
            ASSERT_LE(part.size(), cut);
            const QString back = decodeFileText(part);
            ASSERT_EQ(text.left(back.size()), back) << bytes.toHex().toStdString() << " " << cut;
        }
    }
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
