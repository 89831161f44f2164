#include "store/Encodings.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

struct TextCase
{
    const char* input;
    const char* expected;
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << '"' << c.input << "\" -> \"" << c.expected << '"';
}

std::string TextCaseName(const ::testing::TestParamInfo<TextCase>& info)
{
    return testing_support::CaseName(info.index, info.param.input);
}

// The default is a marker that no valid money text can equal, so a case that falls back shows it.
constexpr const char* kDefault = "<default>";

class NormalizeMoneyTextTest : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(NormalizeMoneyTextTest, GivesCanonicalTextOrDefault)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(NormalizeMoneyText(QString::fromUtf8(c.input), QString::fromLatin1(kDefault)).toStdString(),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NormalizeMoneyTextTest,
                         ::testing::Values(TextCase{"  12.5  ", "12.50"}, TextCase{"\t12.5\r\n", "12.50"},
                                           TextCase{".5", "0.50"}, TextCase{"-.5", "-0.50"},
                                           TextCase{"007", "7.00"}, TextCase{"-007.5", "-7.50"},
                                           TextCase{"1.239", "1.23"}, TextCase{"1.999", "1.99"},
                                           TextCase{"-0", "-0.00"}, TextCase{"1.2.34", "1.20"},
                                           TextCase{"1..5", "1.05"}, TextCase{"0", "0.00"},
                                           TextCase{"00", "0.00"}, TextCase{".", "0.00"},
                                           TextCase{"12", "12.00"}, TextCase{"1.", "1.00"},
                                           TextCase{"100.10", "100.10"}, TextCase{"-12.34", "-12.34"},
                                           TextCase{"1,5", kDefault}, TextCase{"abc", kDefault},
                                           TextCase{"+5", kDefault}, TextCase{"-", kDefault},
                                           TextCase{"-.", kDefault}, TextCase{"", kDefault},
                                           TextCase{"   ", kDefault}, TextCase{"1 000", kDefault},
                                           TextCase{"5-", kDefault}, TextCase{"1e3", kDefault}),
                         TextCaseName);

class FormatMoneyTextTest : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(FormatMoneyTextTest, FormatsNumbers)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(FormatMoneyText(QString::fromUtf8(c.input)).toStdString(), c.expected);
}

// Texts that are not money but are numbers of some form give 0.00 without an error.
INSTANTIATE_TEST_SUITE_P(Cases, FormatMoneyTextTest,
                         ::testing::Values(TextCase{"+5", "0.00"}, TextCase{"0.001", "0.00"},
                                           TextCase{"1e3", "0.00"}, TextCase{" -2.5E-1 ", "0.00"},
                                           TextCase{"3.456", "3.45"}, TextCase{"-0", "-0.00"},
                                           TextCase{"0", "0.00"}),
                         TextCaseName);

class FormatMoneyTextErrorTest : public ::testing::TestWithParam<const char*>
{
};

TEST_P(FormatMoneyTextErrorTest, RaisesTheFloatingPointError)
{
    const QString input = QString::fromUtf8(GetParam());
    try {
        FormatMoneyText(input);
        FAIL() << "no error for " << GetParam();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'%1' is not a valid floating point value").arg(input));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatMoneyTextErrorTest,
                         ::testing::Values("", "abc", "1,5", "+", ".", "1e", "--1", "x1"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return testing_support::CaseName(info.index, info.param);
                         });

TEST(MoneyTextToHundredths, ReadsTheLimitsOfThirtyTwoBits)
{
    EXPECT_EQ(MoneyTextToHundredths(QStringLiteral("21474836.47")), std::numeric_limits<qint32>::max());
    EXPECT_EQ(MoneyTextToHundredths(QStringLiteral("-21474836.48")), std::numeric_limits<qint32>::min());
    EXPECT_EQ(MoneyTextToHundredths(QStringLiteral("-.05")), -5);
    EXPECT_EQ(MoneyTextToHundredths(QStringLiteral("12.349")), 1234);
    EXPECT_EQ(MoneyTextToHundredths(QStringLiteral("+5")), 0);
    EXPECT_EQ(MoneyTextToStored(QStringLiteral(" 7.1 ")), QStringLiteral("710"));
    EXPECT_EQ(MoneyTextToStored(QStringLiteral("-0")), QStringLiteral("0"));
}

TEST(MoneyTextToHundredths, OneHundredthPastTheLimitIsAnIntegerError)
{
    const std::pair<const char*, const char*> cases[] = {
        {"21474836.48", "2147483648"}, {"-21474836.49", "-2147483649"}, {"99999999999999999999", "9999999999999999999900"}};
    for (const auto& [input, withoutPoint] : cases) {
        try {
            MoneyTextToHundredths(QString::fromLatin1(input));
            ADD_FAILURE() << "no error for " << input;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' is not a valid integer value").arg(withoutPoint));
        }
    }
    EXPECT_THROW(MoneyTextToStored(QStringLiteral("abc")), EConvertError);
}

TEST(HundredthsToMoneyText, WritesTwoDecimals)
{
    const std::pair<qint32, const char*> cases[] = {
        {5, "0.05"},           {-5, "-0.05"},         {100, "1.00"},
        {0, "0.00"},           {-1234, "-12.34"},     {123456789, "1234567.89"},
        {std::numeric_limits<qint32>::max(), "21474836.47"}, {std::numeric_limits<qint32>::min(), "-21474836.48"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(HundredthsToMoneyText(value).toStdString(), text) << value;
}

TEST(StoredToMoneyText, ReadsStoredIntegers)
{
    EXPECT_EQ(StoredToMoneyText(QStringLiteral("-1234")), QStringLiteral("-12.34"));
    EXPECT_EQ(StoredToMoneyText(QStringLiteral("0")), QStringLiteral("0.00"));
    EXPECT_EQ(StoredToMoneyText(QStringLiteral(" 42")), QStringLiteral("0.42"));
    // The empty text of a NULL, a decimal and an overflow are not stored integers.
    for (const char* bad : {"", "1.5", "2147483648", "12 ", "-"}) {
        try {
            StoredToMoneyText(QString::fromLatin1(bad));
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(bad)));
        }
    }
}

TEST(StoredSumToMoneyText, ReadsSumsBeyondOneStoredValue)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "0.00"},
        {"0", "0.00"},
        {"-5", "-0.05"},
        {"123456", "1234.56"},
        {"2147483648", "21474836.48"},
        {"-300000000000", "-3000000000.00"},
        {"-9223372036854775808", "-92233720368547758.08"},
    };
    for (const auto& [stored, text] : cases)
        EXPECT_EQ(StoredSumToMoneyText(QString::fromLatin1(stored)).toStdString(), text) << stored;
    EXPECT_THROW(StoredSumToMoneyText(QStringLiteral("1.5")), EConvertError);
}

TEST(CleanText, ReplacesWildcardsAndDoubleQuotes)
{
    EXPECT_EQ(CleanText(QStringLiteral("50% \"off\"_now")), QStringLiteral("50  'off' now"));
    EXPECT_EQ(CleanText(QStringLiteral("Café – ok")), QStringLiteral("Café – ok"));
}

TEST(SqlText, QuotesAndDoublesApostrophes)
{
    EXPECT_EQ(SqlText(QStringLiteral("Joe's")), QStringLiteral("'Joe''s'"));
    EXPECT_EQ(SqlText(QString()), QStringLiteral("''"));
    EXPECT_EQ(SqlText(QStringLiteral("''")), QStringLiteral("''''''"));
    EXPECT_EQ(SqlCleanText(QStringLiteral("a\"b%")), QStringLiteral("'a''b '"));
}

TEST(DayNumbers, CountFromTheLastDaysOf1899)
{
    EXPECT_EQ(DateToDayNumber(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(DateToDayNumber(QDate(1900, 1, 1)), 2);
    EXPECT_EQ(DateToDayNumber(QDate(2000, 1, 1)), 36526);
    EXPECT_EQ(DateToDayNumber(QDate(1899, 12, 29)), -1);
    EXPECT_EQ(DayNumberToDate(46000), QDate(2025, 12, 9));
    for (const QDate d : {QDate(1970, 1, 1), QDate(2024, 2, 29), QDate(2100, 12, 31)})
        EXPECT_EQ(DayNumberToDate(DateToDayNumber(d)), d);
}

TEST(Flags, AreOneLetterTexts)
{
    EXPECT_EQ(FlagSql(true), QStringLiteral("\"t\""));
    EXPECT_EQ(FlagSql(false), QStringLiteral("\"f\""));
    EXPECT_TRUE(FlagValue(QStringLiteral("t")));
    EXPECT_FALSE(FlagValue(QStringLiteral("f")));
    EXPECT_FALSE(FlagValue(QString()));
}

} // namespace
