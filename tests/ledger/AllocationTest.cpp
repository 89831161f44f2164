#include "ledger/Allocation.h"
#include "ledger/NegativeBudgetWarning.h"
#include "store/Encodings.h"
#include "tests/support/DataFile.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <random>

namespace {

using namespace allocation;

// The budget items of a small system, in the tray's order (by name).
constexpr qint64 kCar = 1;
constexpr qint64 kSavings = 2;
constexpr qint64 kUnbudgeted = 3;
constexpr qint64 kGone = 9; // a deleted item: the tray of a new entry does not list it

TBudgetTray Tray(qint32 car = 0, qint32 savings = 0, qint32 unbudgeted = 0)
{
    return {{kCar, QStringLiteral("Car"), car},
            {kSavings, QStringLiteral("Savings"), savings},
            {kUnbudgeted, QStringLiteral("Unbudgeted"), unbudgeted}};
}

TBudgetRule Percent(const char* base, int value, qint64 from, qint64 into, qint64 party = 0)
{
    return {true, QString::fromLatin1(base), QString::number(value), from, into, 0, party == 0, party};
}

TBudgetRule Fixed(int hundredths, qint64 from, qint64 into, qint64 party = 0)
{
    return {false, QStringLiteral("Net Deposit"), QString::number(hundredths), from, into, 0, party == 0, party};
}

const TBudgetRule kBaseRule = Percent("Net Deposit", 10000, 0, kUnbudgeted);

struct AllocationCase
{
    const char* name;
    bool debit;
    TBudgetTray before;
    TBudgetRules rules;
    qint32 amount;     // the amount field, in hundredths
    const char* gross; // the gross cell
    qint64 party;      // the selected listed party; 0 for none
    std::vector<TWarningAnswer> answers;
    std::vector<const char*> warnings; // the moves the warning names
    TBudgetTray after;
};

const AllocationCase kCases[] = {
    {"BaseRuleOnly", false, Tray(), {kBaseRule}, 10000, "100.00", 0, {}, {}, Tray(0, 0, 10000)},
    {"TenPerCentOfNet",
     false,
     Tray(),
     {kBaseRule, Percent("Net Deposit", 1000, kUnbudgeted, kSavings)},
     10000,
     "100.00",
     0,
     {},
     {},
     Tray(0, 1000, 9000)},
    {"PercentagesAreCutNotRounded",
     false,
     Tray(),
     {kBaseRule, Percent("Net Deposit", 3333, kUnbudgeted, kSavings)},
     1000,
     "10.00",
     0,
     {},
     {},
     Tray(0, 333, 667)},
    {"FifteenDigitsBeforeTheCut",
     false,
     Tray(),
     {kBaseRule, Percent("Net Deposit", 5800, kUnbudgeted, kSavings)},
     10000,
     "100.00",
     0,
     {},
     {},
     Tray(0, 5800, 4200)},
    {"TenPerCentOfGross",
     false,
     Tray(),
     {kBaseRule, Percent("Gross Deposit", 1000, kUnbudgeted, kSavings)},
     10000,
     "120.00",
     0,
     {},
     {},
     Tray(0, 1200, 8800)},
    {"PercentOfABudgetItemsPart",
     false,
     Tray(),
     {kBaseRule, Percent("Net Deposit", 1000, kUnbudgeted, kSavings), Percent("2", 5000, kUnbudgeted, kCar)},
     10000,
     "100.00",
     0,
     {},
     {},
     Tray(500, 1000, 8500)},
    {"ATinyProductIsNothing",
     false,
     Tray(),
     {kBaseRule, Percent("Net Deposit", 1, kUnbudgeted, kSavings)},
     50,
     "0.50",
     0,
     {},
     {},
     Tray(0, 0, 50)},
    {"FixedRuleContinue",
     false,
     Tray(),
     {kBaseRule, Fixed(15000, kUnbudgeted, kCar)},
     10000,
     "100.00",
     0,
     {TWarningAnswer::Continue},
     {"Moving 150.00 from Unbudgeted to Car"},
     Tray(15000, 0, -5000)},
    {"FixedRuleSkip",
     false,
     Tray(),
     {kBaseRule, Fixed(15000, kUnbudgeted, kCar), Fixed(500, kUnbudgeted, kSavings)},
     10000,
     "100.00",
     0,
     {TWarningAnswer::Skip},
     {"Moving 150.00 from Unbudgeted to Car"},
     Tray(0, 500, 9500)},
    {"FixedRuleStop",
     false,
     Tray(),
     {kBaseRule, Percent("Net Deposit", 1000, kUnbudgeted, kSavings), Fixed(15000, kUnbudgeted, kCar),
      Fixed(500, kUnbudgeted, kCar)},
     10000,
     "100.00",
     0,
     {TWarningAnswer::Stop},
     {"Moving 150.00 from Unbudgeted to Car"},
     Tray(0, 1000, 9000)},
    {"NewMoneyNeverWarns",
     false,
     Tray(),
     {kBaseRule, Fixed(-2000, 0, kCar)},
     10000,
     "100.00",
     0,
     {},
     {},
     Tray(-2000, 0, 12000)},
    {"PartyRuleForTheSelectedParty",
     false,
     Tray(),
     {kBaseRule, Fixed(1000, kUnbudgeted, kCar, 7)},
     10000,
     "100.00",
     7,
     {},
     {},
     Tray(1000, 0, 9000)},
    {"PartyRuleForAnotherParty",
     false,
     Tray(),
     {kBaseRule, Fixed(1000, kUnbudgeted, kCar, 7)},
     10000,
     "100.00",
     8,
     {},
     {},
     Tray(0, 0, 10000)},
    {"PartyRuleForATypedName",
     false,
     Tray(),
     {kBaseRule, Fixed(1000, kUnbudgeted, kCar, 7)},
     10000,
     "100.00",
     0,
     {},
     {},
     Tray(0, 0, 10000)},
    {"DeletedSourceGivesNothing",
     false,
     Tray(),
     {kBaseRule, Fixed(2000, kGone, kSavings)},
     10000,
     "100.00",
     0,
     {},
     {},
     Tray(0, 2000, 8000)},
    {"DeletedTargetReturnsToUnbudgeted",
     false,
     Tray(),
     {kBaseRule, Fixed(2000, kUnbudgeted, kGone)},
     10000,
     "100.00",
     0,
     {},
     {},
     Tray(0, 0, 10000)},
    {"AMoveIntoTheSameItemChangesNothing",
     false,
     Tray(),
     {kBaseRule, Percent("Net Deposit", 1000, kUnbudgeted, kSavings), Fixed(500, kSavings, kSavings)},
     10000,
     "100.00",
     0,
     {},
     {},
     Tray(0, 1000, 9000)},
    {"TheRunDiscardsHandChanges",
     false,
     Tray(3000, 0, 7000),
     {kBaseRule},
     10000,
     "100.00",
     0,
     {},
     {},
     Tray(0, 0, 10000)},
    {"DebitRunsNoRules",
     true,
     Tray(),
     {kBaseRule, Fixed(1000, kUnbudgeted, kCar)},
     5000,
     "0.00",
     0,
     {},
     {},
     Tray(0, 0, 5000)},
    {"DebitOverAssigned", true, Tray(6000, 0, 0), {}, 5000, "0.00", 0, {}, {}, Tray(6000, 0, -1000)},
};

class AllocationTable : public ::testing::TestWithParam<AllocationCase>
{
};

TEST_P(AllocationTable, DividesTheAmountAsTheRulesSay)
{
    const AllocationCase& c = GetParam();
    TBudgetTray tray = c.before;
    std::vector<QString> warned;
    size_t answered = 0;
    const TNegativeWarning warn = [&](const QString& amount, const QString& source, const QString& target) {
        warned.push_back(QStringLiteral("Moving ") + amount + QStringLiteral(" from ") + source +
                         QStringLiteral(" to ") + target);
        return answered < c.answers.size() ? c.answers[answered++] : TWarningAnswer::Continue;
    };
    const TCredit credit{c.amount / 100.0, QString::fromLatin1(c.gross), c.party};
    RerunAllocation(tray, c.debit, c.rules, credit, c.amount, warn);

    ASSERT_EQ(tray.size(), c.after.size());
    for (size_t i = 0; i < tray.size(); ++i)
        EXPECT_EQ(tray[i].hundredths, c.after[i].hundredths) << tray[i].name.toStdString();
    std::vector<QString> expectedWarnings;
    for (const char* w : c.warnings)
        expectedWarnings.push_back(QString::fromLatin1(w));
    EXPECT_EQ(warned, expectedWarnings);
}

INSTANTIATE_TEST_SUITE_P(Allocation, AllocationTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<AllocationCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Allocation, BalancingUsesTheLastUnbudgetedRowOrElseTheFirst)
{
    TBudgetTray twice = {{1, QStringLiteral("Unbudgeted"), 0}, {2, QStringLiteral("Unbudgeted"), 0}};
    BalanceIntoUnbudgeted(twice, 700);
    EXPECT_EQ(twice[0].hundredths, 0);
    EXPECT_EQ(twice[1].hundredths, 700);
    // The test is on the name exactly.
    TBudgetTray none = {{1, QStringLiteral("Car"), 100}, {2, QStringLiteral("unbudgeted"), 0}};
    BalanceIntoUnbudgeted(none, 700);
    EXPECT_EQ(none[0].hundredths, 700);
    TBudgetTray empty;
    BalanceIntoUnbudgeted(empty, 700);
    EXPECT_TRUE(empty.empty());
}

TEST(Allocation, AnAmountOutOfRangeStopsTheRunAndLeavesTheTray)
{
    TBudgetTray tray = Tray(100, 200, 300);
    const TBudgetRules rules = {kBaseRule, Fixed(2000000000, 0, kCar), Fixed(2000000000, 0, kCar)};
    const TCredit credit{100.0, QStringLiteral("100.00"), 0};
    EXPECT_THROW(RerunAllocation(tray, false, rules, credit, 10000, {}), EConvertError);
    EXPECT_EQ(tray[0].hundredths, 100);
    EXPECT_EQ(tray[2].hundredths, 300);
}

TEST(Allocation, UnderADecimalCommaLocaleTheAmountsStayTheSame)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const TCredit credit{10.0, QStringLiteral("12.50"), 0};
    EXPECT_EQ(RuleAmount(Percent("Net Deposit", 3333, kUnbudgeted, kSavings), Tray(), credit), 333);
    EXPECT_EQ(RuleAmount(Percent("Gross Deposit", 1000, kUnbudgeted, kSavings), Tray(), credit), 125);
    QLocale::setDefault(saved);
}

// Whatever the rules and the answers, the tray adds up to the amount afterwards, to the cent.
TEST(Allocation, PropertyTheTrayAlwaysAddsUpToTheAmount)
{
    std::mt19937 random(20261211);
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int set = 0; set < 400; ++set) {
        TBudgetTray tray;
        const int rows = pick(1, 6);
        const bool withUnbudgeted = pick(0, 4) != 0;
        for (int r = 0; r < rows; ++r)
            tray.push_back(
                {r + 1,
                 withUnbudgeted && r == rows - 1 ? QStringLiteral("Unbudgeted") : QStringLiteral("Item %1").arg(r + 1),
                 pick(0, 100000)});
        auto anyItem = [&] { return qint64(pick(0, rows + 1)); }; // 0: new money; rows + 1: not in the tray
        TBudgetRules rules;
        if (withUnbudgeted)
            rules.push_back(Percent("Net Deposit", 10000, 0, rows));
        const int count = pick(0, 8);
        for (int i = 0; i < count; ++i) {
            const qint64 party = pick(0, 2) == 0 ? pick(1, 3) : 0;
            switch (pick(0, 3)) {
            case 0:
                rules.push_back(Fixed(pick(-50000, 500000), anyItem(), anyItem(), party));
                break;
            case 1:
                rules.push_back(Percent("Net Deposit", pick(0, 20000), anyItem(), anyItem(), party));
                break;
            case 2:
                rules.push_back(Percent("Gross Deposit", pick(0, 20000), anyItem(), anyItem(), party));
                break;
            default:
                rules.push_back(
                    Percent(QByteArray::number(anyItem()).constData(), pick(0, 20000), anyItem(), anyItem(), party));
                break;
            }
        }
        const qint32 amount = pick(0, 1000000);
        const TCredit credit{amount / 100.0, HundredthsToMoneyText(amount + pick(0, 100000)), pick(0, 3)};
        const bool debit = pick(0, 3) == 0;
        const TNegativeWarning warn = [&](const QString&, const QString&, const QString&) {
            return TWarningAnswer(pick(0, 2));
        };
        RerunAllocation(tray, debit, rules, credit, amount, warn);
        qint64 total = 0;
        for (const TTrayRow& row : tray)
            total += row.hundredths;
        ASSERT_EQ(total, amount) << "rule set " << set;
    }
}

// ----------------------------------------------------------------------------------------------------------

TEST(LoadBudgetRules, LoadsTheRulesOfTheSystemThatApplyToTheAccountInPriorityOrder)
{
    testing_support::TempProgramDir dir;
    const QString path = dir.File(QStringLiteral("Cofferly.db"));
    testing_support::CreateDataFile(
        path,
        QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home');"
                       "INSERT INTO BudgetSystems (Name) VALUES ('Other');"
                       // Priority 2, this account only, for one party.
                       "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, "
                       "AllAccounts, AccountID, Priority, AllDeposits, PartyID) VALUES "
                       "(1, 'f', 'Net Deposit', 15000, 3, 1, 'f', 5, 2, 'f', 7);"
                       // Another account of the system: never loaded.
                       "INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, AllAccounts, AccountID, "
                       "Priority) VALUES (1, 3, 2, 'f', 6, 1);"
                       // Another system: never loaded.
                       "INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, Priority) VALUES (2, 0, 4, 0);"
                       // The base rule, priority 0, no party.
                       "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, "
                       "AllAccounts, Priority, AllDeposits) VALUES (1, 't', 'Net Deposit', 10000, 0, 3, 't', 0, 't');"
                       // Priority 1, all accounts, a percentage of a budget item.
                       "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, "
                       "AllAccounts, Priority) VALUES (1, 't', '2', 2500, 3, 1, 't', 1)"));
    TSQLiteDatabase db;
    db.SetFileName(path);
    db.Open();
    const TBudgetRules rules = LoadBudgetRules(db, 1, 5);
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[0].priority, 0);
    EXPECT_TRUE(rules[0].isPercent);
    EXPECT_TRUE(rules[0].allDeposits);
    EXPECT_EQ(rules[0].partyId, 0) << "an empty PartyID reads as 0";
    EXPECT_EQ(rules[0].intoBudgetCat, 3);
    EXPECT_EQ(rules[1].percentOf, QStringLiteral("2"));
    EXPECT_EQ(rules[1].value, QStringLiteral("2500"));
    EXPECT_FALSE(rules[2].isPercent);
    EXPECT_FALSE(rules[2].allDeposits);
    EXPECT_EQ(rules[2].partyId, 7);
    EXPECT_EQ(rules[2].fromBudgetCat, 3);
    EXPECT_EQ(rules[2].value, QStringLiteral("15000"));
}

// ----------------------------------------------------------------------------------------------------------

TEST(NegativeBudgetWarning, NamesTheMoveAndStopsOnEnter)
{
    TfrmNegativeBudgetWarning warning;
    warning.SetMove(QStringLiteral("150.00"), QStringLiteral("Unbudgeted"), QStringLiteral("Car"));
    EXPECT_EQ(warning.windowTitle(), QStringLiteral("Negative budget category"));
    EXPECT_EQ(warning.size(), QSize(316, 183));
    EXPECT_EQ(warning.lblBudgetItem->text(), QStringLiteral("Moving 150.00 from Unbudgeted to Car"));
    EXPECT_TRUE(warning.btnStop->isDefault());
    EXPECT_FALSE(warning.btnContinue->isDefault());
    QStringList texts;
    for (QLabel* label : warning.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(
        QStringLiteral("The currently executing budget rule will cause a Budget Item to get a negative value.")));
    EXPECT_TRUE(texts.contains(
        QStringLiteral("Do you wish to continue, skip this budget rule, or stop running the budget rules?")));
}

TEST(NegativeBudgetWarning, EachButtonGivesItsAnswerAndClosingTheWindowSkips)
{
    using Dialogs = testing_support::ScriptedDialogs;
    const struct
    {
        QPushButton* TfrmNegativeBudgetWarning::*button;
        TWarningAnswer answer;
    } buttons[] = {{&TfrmNegativeBudgetWarning::btnContinue, TWarningAnswer::Continue},
                   {&TfrmNegativeBudgetWarning::btnSkip, TWarningAnswer::Skip},
                   {&TfrmNegativeBudgetWarning::btnStop, TWarningAnswer::Stop}};
    for (const auto& b : buttons) {
        Dialogs dialogs;
        dialogs.Expect<TfrmNegativeBudgetWarning>([&b](TfrmNegativeBudgetWarning& warning) {
            (warning.*b.button)->click();
            return warning.result();
        });
        EXPECT_EQ(
            TfrmNegativeBudgetWarning::Ask(QStringLiteral("1.00"), QStringLiteral("A"), QStringLiteral("B"), nullptr),
            b.answer);
    }
    // Escape and the window's close button reject the dialog.
    Dialogs dialogs;
    dialogs.Expect<TfrmNegativeBudgetWarning>([](TfrmNegativeBudgetWarning&) { return int(QDialog::Rejected); });
    EXPECT_EQ(TfrmNegativeBudgetWarning::Ask(QStringLiteral("1.00"), QStringLiteral("A"), QStringLiteral("B"), nullptr),
              TWarningAnswer::Skip);
}

} // namespace
