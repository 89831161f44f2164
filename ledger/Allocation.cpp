#include "ledger/Allocation.h"

#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"

#include <limits>

namespace allocation {

namespace {

// The first tray row of a budget item, or -1.
int FindRow(const TBudgetTray& tray, qint64 rowId)
{
    for (size_t i = 0; i < tray.size(); ++i)
        if (tray[i].rowId == rowId)
            return int(i);
    return -1;
}

qint32 ToMoney(qint64 hundredths)
{
    if (hundredths > std::numeric_limits<qint32>::max() || hundredths < std::numeric_limits<qint32>::min())
        throw EConvertError::InvalidInteger(QString::number(hundredths));
    return qint32(hundredths);
}

double ReadNumber(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        throw EConvertError::InvalidFloat(text);
    return value;
}

} // namespace

TBudgetRules LoadBudgetRules(TSQLiteDatabase& db, qint64 system, qint64 account)
{
    // A file that could not be opened runs nothing and would leave an earlier result in place.
    db.ClearResults();
    db.ExecSQL(QStringLiteral("SELECT IsPercent, PercentOf, Value, FromBudgetCat, IntoBudgetCat, Priority, "
                              "AllDeposits, PartyID FROM BudgetRules WHERE ((SystemID = %1) AND "
                              "((AllAccounts = \"t\") OR (AccountID = %2))) ORDER BY Priority ASC")
                   .arg(QString::number(system), QString::number(account)));
    TBudgetRules rules;
    for (int row = 0; row < db.RowCount(0); ++row) {
        TBudgetRule rule;
        rule.isPercent = db.Cell(0, row) == QLatin1String("t");
        rule.percentOf = db.Cell(1, row);
        rule.value = db.Cell(2, row);
        rule.fromBudgetCat = TextToInt(db.Cell(3, row));
        rule.intoBudgetCat = TextToInt(db.Cell(4, row));
        rule.priority = TextToInt(db.Cell(5, row));
        rule.allDeposits = db.Cell(6, row) == QLatin1String("t");
        const QString party = db.Cell(7, row);
        rule.partyId = party.isEmpty() ? 0 : TextToInt(party);
        rules.push_back(rule);
    }
    return rules;
}

qint32 RuleAmount(const TBudgetRule& rule, const TBudgetTray& tray, const TCredit& credit)
{
    if (!rule.isPercent)
        return TextToInt(rule.value);
    double base = 0;
    if (rule.percentOf == QLatin1String("Net Deposit")) {
        base = credit.net;
    } else if (rule.percentOf == QLatin1String("Gross Deposit")) {
        base = ReadNumber(credit.grossText);
    } else {
        const int row = FindRow(tray, TextToInt(rule.percentOf));
        // Hundredths over 100 give the same double as reading the money text.
        base = row < 0 ? 0 : tray[row].hundredths / 100.0;
    }
    const double share = ReadNumber(rule.value) / 10000;
    // Written with 15 significant digits first, so that 58 % of 100.00 (57.99999999999999 in doubles) is
    // 58.00; the cents are then cut. A product below 0.0001 is written with an exponent and counts as 0.
    return MoneyTextToHundredths(QString::number(base * share, 'g', 15));
}

void RunBudgetRules(TBudgetTray& tray, const TBudgetRules& rules, const TCredit& credit, const TNegativeWarning& warn)
{
    // Worked on a copy: an amount out of range stops the run and leaves the tray as the person saw it.
    TBudgetTray work = tray;
    for (TTrayRow& row : work)
        row.hundredths = 0;

    for (const TBudgetRule& rule : rules) {
        if (!rule.allDeposits && (credit.party == 0 || credit.party != rule.partyId))
            continue;
        const qint64 a = RuleAmount(rule, work, credit);
        const int target = FindRow(work, rule.intoBudgetCat);
        const int source = rule.fromBudgetCat == 0 ? -1 : FindRow(work, rule.fromBudgetCat);
        // Money moved from a budget item into itself stays where it is.
        if (source >= 0 && source == target)
            continue;
        const qint64 targetAmount = target < 0 ? 0 : qint64(work[target].hundredths) + a;
        if (source >= 0) {
            const qint64 sourceAmount = qint64(work[source].hundredths) - a;
            if (sourceAmount < 0 || targetAmount < 0) {
                const TWarningAnswer answer = warn(HundredthsToMoneyText(ToMoney(a)), work[source].name,
                                                   target < 0 ? QString() : work[target].name);
                if (answer == TWarningAnswer::Stop)
                    break;
                if (answer == TWarningAnswer::Skip)
                    continue;
            }
            work[source].hundredths = ToMoney(sourceAmount);
        }
        if (target >= 0) {
            work[target].hundredths = ToMoney(targetAmount);
        }
    }
    tray = std::move(work);
}

void BalanceIntoUnbudgeted(TBudgetTray& tray, qint32 amount)
{
    if (tray.empty())
        return;
    qint64 total = 0;
    for (const TTrayRow& row : tray)
        total += row.hundredths;
    size_t unbudgeted = 0;
    for (size_t i = 0; i < tray.size(); ++i)
        if (tray[i].name == QLatin1String("Unbudgeted"))
            unbudgeted = i;
    if (total != amount)
        tray[unbudgeted].hundredths = ToMoney(tray[unbudgeted].hundredths + (amount - total));
}

void RerunAllocation(TBudgetTray& tray, bool debit, const TBudgetRules& rules, const TCredit& credit, qint32 amount,
                     const TNegativeWarning& warn)
{
    TBudgetTray work = tray;
    if (!debit)
        RunBudgetRules(work, rules, credit, warn);
    BalanceIntoUnbudgeted(work, amount);
    tray = std::move(work);
}

} // namespace allocation
