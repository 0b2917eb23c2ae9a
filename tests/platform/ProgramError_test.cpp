#include "platform/ProgramError.h"
#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <random>

namespace {

std::optional<int> parsed(const QString& text)
{
    int v = 12345;
    if (!parseInteger(text, v))
        return std::nullopt;
    return v;
}

}  // namespace

TEST(ParseInteger, AcceptsTheProgramsFormsAndRefusesTheRest)
{
    struct Case { const char* text; std::optional<int> value; };
    const Case cases[] = {
        {"0", 0}, {" 12 ", 12}, {"+7", 7}, {"-5", -5}, {"-0", 0}, {"0000000000000000000000000042", 42},
        {"$1F", 31}, {"$ff", 255}, {"-$10", -16},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"$7FFFFFFF", INT32_MAX}, {"-$80000000", INT32_MIN},
        {"2147483648", {}}, {"-2147483649", {}}, {"$80000000", {}}, {"-$80000001", {}},
        // 64-bit extremes and beyond: refused, without overflow on the way.
        {"-9223372036854775808", {}}, {"9223372036854775807", {}}, {"-$8000000000000000", {}},
        {"-$-8000000000000000", {}}, {"18446744073709551616", {}}, {"99999999999999999999999999999", {}},
        {"$FFFFFFFFFFFFFFFFFFFF", {}},
        {"", {}}, {" ", {}}, {"-", {}}, {"+", {}}, {"$", {}}, {"-$", {}}, {"$-5", {}}, {"$+5", {}}, {"+-1", {}},
        {"1 2", {}}, {"12a", {}}, {"0x10", {}}, {"$0x10", {}}, {"1e3", {}}, {"1.0", {}}, {"\xD9\xA3", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parsed(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(ParseInteger, EverySixtyFourBitValueReadsBackOrIsRefused)
{
    std::vector<int64_t> values = {INT64_MIN, INT64_MIN + 1, INT64_MAX, INT64_MAX - 1, -1, 0, 1,
                                   int64_t(INT32_MIN) - 1, INT32_MIN, INT32_MAX, int64_t(INT32_MAX) + 1};
    std::mt19937_64 rng(17);
    for (int i = 0; i < 2000; ++i) {
        const uint64_t r = rng();
        values.push_back(int64_t(r >> (r % 64)));  // every magnitude
        values.push_back(-int64_t(r >> (1 + r % 63)));
    }
    for (int64_t v : values) {
        const bool fits = v >= INT32_MIN && v <= INT32_MAX;
        const std::optional<int> expected = fits ? std::optional<int>(int(v)) : std::nullopt;
        EXPECT_EQ(parsed(QString::number(v)), expected) << v;
        const uint64_t magnitude = v < 0 ? 0 - uint64_t(v) : uint64_t(v);
        const QString hex = QString::number(magnitude, 16);
        EXPECT_EQ(parsed((v < 0 ? "-$" : "$") + hex), expected) << v;
    }
}

TEST(RunGuarded, ShowsTheErrorsThatEndACommandInFrench)
{
    ScriptedPrompts sp;
    setPrompts(&sp);
    runGuarded([] { throw ProgramError(QStringLiteral("Impossible d'ouvrir le fichier a.lst")); });
    runGuarded([] { throw std::bad_alloc(); });
    runGuarded([] { throw SilentAbort(); });
    runGuarded([] {});
    setPrompts(nullptr);
    EXPECT_EQ(sp.messages(), QStringList({"Impossible d'ouvrir le fichier a.lst", "Mémoire insuffisante"}));
}
