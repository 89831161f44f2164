#pragma once

#include <QString>
#include <functional>
#include <vector>

class TSQLiteDatabase;

// The division of a credit or a debit among the budget items of its system, worked out on the rows of the
// transaction wizard's budget tray. Every function here works on plain rows, so the division can be
// checked without a window; the wizard only shows the rows.
namespace allocation {

// One row of the tray: a budget item and the part of the transaction's amount it receives, in hundredths.
struct TTrayRow
{
    qint64 rowId = 0;
    QString name;
    qint32 hundredths = 0;
};
using TBudgetTray = std::vector<TTrayRow>;

// A budget rule as the division reads it.
struct TBudgetRule
{
    bool isPercent = false;
    // "Net Deposit", "Gross Deposit", or the ROWID of the budget item whose part is the base.
    QString percentOf;
    // Hundredths of a per cent for a percentage rule (10000 is 100 %), hundredths of money otherwise.
    QString value;
    // 0 names no budget item: the money is the credit's new money.
    qint64 fromBudgetCat = 0;
    qint64 intoBudgetCat = 0;
    qint64 priority = 0;
    bool allDeposits = true;
    qint64 partyId = 0;
};
using TBudgetRules = std::vector<TBudgetRule>;

// What a rule run needs to know of the credit besides the tray.
struct TCredit
{
    double net = 0;                             // the amount field's value
    QString grossText = QStringLiteral("0.00"); // the gross amount as shown
    qint64 party = 0;                           // the listed party selected in the party box; 0 for none
};

// The three answers to the negative budget warning.
enum class TWarningAnswer
{
    Continue,
    Skip,
    Stop,
};
// Asks whether a rule may take a budget item below zero: the amount as money text, the source's and the
// target's names.
using TNegativeWarning =
    std::function<TWarningAnswer(const QString& amount, const QString& source, const QString& target)>;

// The rules of the system that apply to the account, lowest priority first. The database is open; the
// caller opens and closes it.
TBudgetRules LoadBudgetRules(TSQLiteDatabase& db, qint64 system, qint64 account);

// The amount a rule moves, in hundredths. A percentage is the double product of its base and its share,
// written with 15 significant digits and then cut (never rounded) to hundredths.
qint32 RuleAmount(const TBudgetRule& rule, const TBudgetTray& tray, const TCredit& credit);

// Empties the tray and runs the rules over it in order. A rule that would take a budget item below zero
// asks first: Skip passes it over, Stop ends the run there, Continue lets it through. Raises a conversion
// error, leaving the tray as it was, when an amount leaves the range of money values.
void RunBudgetRules(TBudgetTray& tray, const TBudgetRules& rules, const TCredit& credit, const TNegativeWarning& warn);

// Settles the difference between the amount and the tray's sum on "Unbudgeted" (the last row of that
// name; the first row when there is none), so that the tray adds up to the amount.
void BalanceIntoUnbudgeted(TBudgetTray& tray, qint32 amount);

// The division afresh: a debit is only balanced, a credit runs its rules first.
void RerunAllocation(TBudgetTray& tray, bool debit, const TBudgetRules& rules, const TCredit& credit, qint32 amount,
                     const TNegativeWarning& warn);

} // namespace allocation
