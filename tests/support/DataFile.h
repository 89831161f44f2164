#pragma once

#include "store/SQLiteDatabase.h"
#include "store/Schema.h"

#include <QString>

namespace testing_support {

// A data file with the program's schema and, when given, the rows of a few statements.
inline void CreateDataFile(const QString& path, const QString& rows = QString())
{
    TSQLiteDatabase db;
    db.SetFileName(path);
    db.Open();
    schema::CreateDataSchema(db);
    if (!rows.isEmpty())
        db.ExecSQL(rows);
}

// A data file of the previous layout: the tables both layouts share, with the budget allocations kept in
// BudgetTransactions and linked to their transactions through TransTOBudget.
inline void CreatePreviousLayoutFile(const QString& path, const QString& rows = QString())
{
    TSQLiteDatabase db;
    db.SetFileName(path);
    db.Open();
    schema::CreateDataSchema(db);
    db.ExecSQL(QStringLiteral("DROP TABLE NewBudgetTransactions;"
                              "CREATE TABLE BudgetTransactions (BudgetCatID NOT NULL, Amount NOT NULL);"
                              "CREATE TABLE TransTOBudget (TransID NOT NULL, BudgetTransID NOT NULL)"));
    if (!rows.isEmpty())
        db.ExecSQL(rows);
}

// The statements of the smallest useful data file: one system, one account.
inline QString OneSystemOneAccount()
{
    return QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home');"
                          "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Checking')");
}

} // namespace testing_support
