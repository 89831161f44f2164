#include "ledger/controls/RealText.h"
#include "store/Encodings.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using real_text::TFormat;

struct NormalizeCase
{
    const char* input;
    bool allowNegatives;
    int decimalPlaces;
    const char* expected; // "<last>" for a fall-back to the last accepted text
};

const NormalizeCase kNormalizeCases[] = {
    {"12.345", false, 2, "12.34"},
    {"1.239", false, 2, "1.23"},
    {"5", false, 2, "5.00"},
    {".5", false, 2, "0.50"},
    {".", false, 2, "0.00"},
    {" 12.5 ", false, 2, "12.50"},
    {"1.2.3", false, 2, "1.20"},
    {"1..5", false, 2, "1.05"},
    {"007", false, 2, "007.00"},
    {"", false, 2, "<last>"},
    {"   ", false, 2, "<last>"},
    {"abc", false, 2, "<last>"},
    {"1,5", false, 2, "<last>"},
    {"+5", false, 2, "<last>"},
    {"1e5", false, 2, "<last>"},
    // Negatives not allowed: the sign goes, before the bare point of "-.5" would have been completed.
    {"-5", false, 2, "5.00"},
    {"-", false, 2, "<last>"},
    {"-.5", false, 2, ".50"},
    {"-1-2", false, 2, "<last>"},
    // Negatives allowed.
    {"-5", true, 2, "-5.00"},
    {"-.5", true, 2, "-0.50"},
    {"-", true, 2, "<last>"},
    {"-.", true, 2, "<last>"},
    {"1-2", true, 2, "<last>"},
    {"-007.5", true, 2, "-007.50"},
    {"--5", true, 2, "<last>"},
    // No decimals.
    {"12", false, 0, "12"},
    {"3.9", false, 0, "3"},
    {".", false, 0, "0"},
    {"0.00", false, 0, "0"},
    // More decimals.
    {"1.5", false, 3, "1.500"},
    {"1.23456", false, 3, "1.234"},
};

class NormalizeTable : public ::testing::TestWithParam<NormalizeCase>
{
};

TEST_P(NormalizeTable, GivesTheFixedFormOrFallsBack)
{
    const NormalizeCase& c = GetParam();
    const QString last = QStringLiteral("3.00");
    const QString expected =
        QString::fromLatin1(c.expected) == QLatin1String("<last>") ? last : QString::fromLatin1(c.expected);
    EXPECT_EQ(real_text::Normalize(QString::fromLatin1(c.input), last, TFormat{c.allowNegatives, c.decimalPlaces}),
              expected);
}

INSTANTIATE_TEST_SUITE_P(RealText, NormalizeTable, ::testing::ValuesIn(kNormalizeCases),
                         [](const ::testing::TestParamInfo<NormalizeCase>& info) {
                             return testing_support::CaseName(info.index, info.param.input);
                         });

struct KeyCase
{
    char16_t key;
    bool allowNegatives;
    int decimalPlaces;
    bool passes;
};

const KeyCase kKeyCases[] = {
    {u'0', false, 2, true},  {u'9', false, 2, true},       {u'.', false, 2, true},  {u'.', false, 0, false},
    {u'-', false, 2, false}, {u'-', true, 2, true},        {u'\b', false, 2, true}, {u'\r', false, 0, true},
    {u',', false, 2, false}, {u'a', true, 2, false},       {u'+', true, 2, false},  {u' ', false, 2, false},
    {u'e', false, 2, false}, {u'\u0663', false, 2, false}, // an Arabic-Indic three is no digit here
};

TEST(RealText, KeyFilterPassesOnlyTheCharactersOfANumber)
{
    for (const KeyCase& c : kKeyCases)
        EXPECT_EQ(real_text::KeyPasses(QChar(c.key), TFormat{c.allowNegatives, c.decimalPlaces}), c.passes)
            << "key U+" << std::hex << int(c.key) << " negatives " << c.allowNegatives << " decimals "
            << c.decimalPlaces;
}

TEST(RealText, IntegerTextAndValueAreCountsOfTheSmallestUnit)
{
    EXPECT_EQ(real_text::IntegerText(0, 2), QStringLiteral("0.00"));
    EXPECT_EQ(real_text::IntegerText(5, 2), QStringLiteral("0.05"));
    EXPECT_EQ(real_text::IntegerText(50, 2), QStringLiteral("0.50"));
    EXPECT_EQ(real_text::IntegerText(1234, 2), QStringLiteral("12.34"));
    EXPECT_EQ(real_text::IntegerText(12, 0), QStringLiteral("12"));
    EXPECT_EQ(real_text::IntegerText(-5, 2), QStringLiteral("-0.05"));

    EXPECT_EQ(real_text::IntegerValue(QStringLiteral("0.05")), 5);
    EXPECT_EQ(real_text::IntegerValue(QStringLiteral("12.34")), 1234);
    EXPECT_EQ(real_text::IntegerValue(QStringLiteral("-0.50")), -50);
    EXPECT_EQ(real_text::IntegerValue(QStringLiteral("007.00")), 700);
    EXPECT_EQ(real_text::IntegerValue(QStringLiteral("21474836.47")), 2147483647);
    EXPECT_THROW(real_text::IntegerValue(QStringLiteral("21474836.48")), EConvertError);
}

TEST(RealText, RealTextHasFifteenSignificantDigits)
{
    EXPECT_EQ(real_text::RealText(57.99999999999999), QStringLiteral("58"));
    EXPECT_EQ(real_text::RealText(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(real_text::RealText(0.00005), QStringLiteral("5e-05"));
    EXPECT_DOUBLE_EQ(real_text::RealValue(QStringLiteral("007.50")), 7.5);
}

} // namespace
