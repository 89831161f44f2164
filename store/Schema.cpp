#include "store/Schema.h"

#include "store/SQLiteDatabase.h"

#include <QSet>

namespace schema {

// Every column carries a type so that the engine keeps comparing number-like values as numbers even when
// a statement writes them in quotes: INTEGER for row ids, money, day numbers and counters, TEXT for names,
// flags, IDs, notes, passwords and journal text. PercentOf holds either a number or a text and stays untyped.
static const char* const kTables[] = {
    "CREATE TABLE BudgetSystems (Name TEXT UNIQUE, Pass TEXT)",
    "CREATE TABLE Accounts (SystemID INTEGER NOT NULL, Name TEXT NOT NULL, Deleted TEXT NOT NULL DEFAULT 'f', "
    "ShowPassed TEXT NOT NULL DEFAULT 'f', ShowUnpassed TEXT NOT NULL DEFAULT 't', "
    "ShowCredits TEXT NOT NULL DEFAULT 't', ShowDebits TEXT NOT NULL DEFAULT 't', "
    "ShowTransfers TEXT NOT NULL DEFAULT 't', Age INTEGER NOT NULL DEFAULT 3, ShowNotes TEXT DEFAULT NULL, "
    "ShowParty INTEGER NOT NULL DEFAULT 0, ShowID TEXT DEFAULT NULL)",
    "CREATE TABLE Transactions (Passed TEXT NOT NULL DEFAULT 'f', TransID TEXT, AccountID INTEGER NOT NULL, "
    "Date INTEGER NOT NULL, Amount INTEGER NOT NULL DEFAULT 0, GrossAmount INTEGER NOT NULL DEFAULT 0, "
    "SecondPartyID INTEGER NOT NULL, Notes TEXT)",
    "CREATE TABLE BudgetCategories (SystemID INTEGER NOT NULL, Name TEXT NOT NULL, "
    "Deleted TEXT NOT NULL DEFAULT 'f')",
    "CREATE TABLE BudgetRules (SystemID INTEGER NOT NULL, IsPercent TEXT NOT NULL DEFAULT 't', "
    "PercentOf DEFAULT 'Net Deposit', Value INTEGER NOT NULL DEFAULT 0, FromBudgetCat INTEGER NOT NULL, "
    "IntoBudgetCat INTEGER NOT NULL, AllAccounts TEXT NOT NULL DEFAULT 't', AccountID INTEGER, "
    "Priority INTEGER NOT NULL, AllDeposits TEXT NOT NULL DEFAULT 't', PartyID INTEGER)",
    "CREATE TABLE Parties (SystemID INTEGER NOT NULL, Name TEXT NOT NULL, Deleted TEXT NOT NULL DEFAULT 'f')",
    "CREATE TABLE TransTOTrans (TransID1 INTEGER NOT NULL, TransID2 INTEGER NOT NULL)",
};

// The budget allocations' table, the one table the previous layout did not have.
static const char kAllocationTable[] = "CREATE TABLE NewBudgetTransactions (BudgetCatID INTEGER NOT NULL, "
                                       "Amount INTEGER NOT NULL, TransID INTEGER NOT NULL DEFAULT 0, "
                                       "TransDate INTEGER NOT NULL)";

static const char* const kIndexes[] = {
    "CREATE INDEX Budget_System ON BudgetCategories (SystemID)",
    "CREATE INDEX Account_System ON Accounts (SystemID)",
    "CREATE INDEX Trans_Party ON Transactions (SecondPartyID)",
    "CREATE INDEX Trans_Date ON Transactions (Date)",
    "CREATE INDEX Trans_Account ON Transactions (AccountID)",
    "CREATE INDEX TransTrans_Trans1 ON TransTOTrans (TransID1)",
    "CREATE INDEX TransTrans_Trans2 ON TransTOTrans (TransID2)",
    "CREATE INDEX Rule_System ON BudgetRules (SystemID)",
    "CREATE INDEX Rule_Account ON BudgetRules (AccountID)",
    "CREATE INDEX Rule_Priority ON BudgetRules (Priority)",
    "CREATE INDEX Party_Name ON Parties (Name)",
};

static const char* const kAllocationIndexes[] = {
    "CREATE INDEX NewBudgetTrans_Budget ON NewBudgetTransactions (BudgetCatID)",
    "CREATE INDEX NewBudgetTrans_Amount ON NewBudgetTransactions (Amount)",
    "CREATE INDEX NewBudgetTrans_Trans ON NewBudgetTransactions (TransID)",
    "CREATE INDEX NewBudgetTrans_Date ON NewBudgetTransactions (TransDate)",
};

static const char* const kUndoSchema[] = {
    "BEGIN",
    "CREATE TABLE UndoStack (StackNumber INTEGER UNIQUE, GroupNumber INTEGER NOT NULL, SQL TEXT NOT NULL, "
    "Notify TEXT NOT NULL)",
    "CREATE INDEX Undo_StackNum ON UndoStack (StackNumber)",
    "CREATE INDEX Undo_GroupNum ON UndoStack (GroupNumber)",
    "COMMIT",
};

Layout LayoutOf(TSQLiteDatabase& db)
{
    if (db.ExecSQL(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")) != 0)
        return Layout::Unreadable;
    QSet<QString> tables;
    for (int row = 0; row < db.RowCount(0); ++row)
        tables.insert(db.Cell(0, row));
    // Both layouts share these; they differ in where the budget allocations are kept.
    static const char* const shared[] = {"BudgetSystems", "Accounts",     "Transactions", "BudgetCategories",
                                         "BudgetRules",   "Parties",      "TransTOTrans"};
    for (const char* table : shared) {
        if (!tables.contains(QLatin1String(table)))
            return Layout::Foreign;
    }
    if (tables.contains(QStringLiteral("NewBudgetTransactions")))
        return Layout::Current;
    if (tables.contains(QStringLiteral("BudgetTransactions")) && tables.contains(QStringLiteral("TransTOBudget")))
        return Layout::Previous;
    return Layout::Foreign;
}

QString AllocationTableSql()
{
    return QString::fromLatin1(kAllocationTable);
}

QStringList AllocationIndexSql()
{
    QStringList statements;
    for (const char* statement : kAllocationIndexes)
        statements.append(QString::fromLatin1(statement));
    return statements;
}

bool CreateDataSchema(TSQLiteDatabase& db)
{
    // Tables, then indexes, in the order the file has always had them.
    QStringList statements;
    for (const char* statement : kTables)
        statements.append(QString::fromLatin1(statement));
    statements.append(AllocationTableSql());
    for (const char* statement : kIndexes)
        statements.append(QString::fromLatin1(statement));
    statements.append(AllocationIndexSql());
    // One transaction: a file is either given the whole schema or none.
    statements.prepend(QStringLiteral("BEGIN"));
    statements.append(QStringLiteral("COMMIT"));
    for (const QString& statement : statements) {
        if (db.ExecSQL(statement) != 0) {
            if (!db.InAutocommit())
                db.ExecSQL(QStringLiteral("ROLLBACK"));
            return false;
        }
    }
    return true;
}

void CreateUndoSchema(TSQLiteDatabase& db)
{
    for (const char* statement : kUndoSchema)
        db.ExecSQL(QString::fromLatin1(statement));
}

} // namespace schema
