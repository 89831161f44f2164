#pragma once

#include <QString>
#include <functional>

class TSQLiteDatabase;

// Brings a data file of the previous layout up to date. That layout kept the budget allocations in two
// tables, BudgetTransactions (item and amount) and TransTOBudget (which allocation belongs to which
// transaction); this one keeps them in NewBudgetTransactions, each row with its transaction's ROWID and
// date.
namespace upgrade {

// Told after each step: how many of the steps are done.
using Progress = std::function<void(int done, int steps)>;

struct Result
{
    bool upgraded = false;
    // Where the file as it was before the upgrade is kept.
    QString copyPath;
    // Why it failed; the file is then as it was.
    QString reason;
};

// Runs the whole upgrade on db, open on the file at path, as one transaction: an upgrade that fails or
// is interrupted leaves the file as it was, and it is tried again at the next start. Before the first
// change, the file is copied beside itself ("Cofferly-v2.db"). Each old allocation becomes one new row
// with the same item and amount, carrying the ROWID and date of the transaction it was linked to, or
// TransID 0 and today's day number when no existing transaction was linked to it. Rules that put money
// into 0 (the old way of naming "Unbudgeted") name their system's "Unbudgeted" item.
Result UpgradeStore(TSQLiteDatabase& db, const QString& path, const Progress& progress = {});

} // namespace upgrade
