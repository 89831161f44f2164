#include "budget/RuleRows.h"

#include "store/DataStore.h"
#include "store/SQLiteDatabase.h"

namespace rule_rows {

namespace {

QString QuotedColumns()
{
    QStringList selects;
    for (const QString& column : RuleColumns())
        selects << QStringLiteral("quote(%1)").arg(column);
    return selects.join(QStringLiteral(", "));
}

QStringList RowValues(const TSQLiteDatabase& db, int row)
{
    QStringList values;
    for (int column = 0; column < RuleColumns().size(); ++column)
        values << db.Cell(column, row);
    return values;
}

} // namespace

const QStringList& RuleColumns()
{
    static const QStringList columns = {
        QStringLiteral("SystemID"),    QStringLiteral("IsPercent"),     QStringLiteral("PercentOf"),
        QStringLiteral("Value"),       QStringLiteral("FromBudgetCat"), QStringLiteral("IntoBudgetCat"),
        QStringLiteral("AllAccounts"), QStringLiteral("AccountID"),     QStringLiteral("Priority"),
        QStringLiteral("AllDeposits"), QStringLiteral("PartyID"),
    };
    return columns;
}

QStringList QuotedRule(TStoreChange& change, qint64 rule)
{
    change.Exec(
        QStringLiteral("SELECT %1 FROM BudgetRules WHERE ROWID = %2").arg(QuotedColumns(), QString::number(rule)));
    return change.Db().RowCount(0) > 0 ? RowValues(change.Db(), 0) : QStringList();
}

QStringList RestoreStatements(TStoreChange& change, const QString& where)
{
    change.Exec(QStringLiteral("SELECT %1 FROM BudgetRules WHERE %2 ORDER BY ROWID").arg(QuotedColumns(), where));
    const TSQLiteDatabase& db = change.Db();
    const QString insert = QStringLiteral("INSERT INTO BudgetRules (%1) VALUES (%2)");
    QStringList statements;
    for (int row = 0; row < db.RowCount(0); ++row)
        statements << insert.arg(RuleColumns().join(QStringLiteral(", ")),
                                 RowValues(db, row).join(QStringLiteral(", ")));
    return statements;
}

} // namespace rule_rows
