#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

class IMainWindow;

// The storing half of entering a credit or a debit, apart from the wizard that collects it, so that the
// benchmark can time the write and the register's refresh on their own.
namespace ledger {

struct TAllocationShare
{
    qint64 item;
    // The tray amount: positive for what goes to the item, for a debit as much as for a credit.
    qint32 hundredths;
};

struct TEntryRows
{
    bool debit = false;
    QString id; // empty: stored as NULL
    qint32 day = 0;
    qint32 amount = 0; // never negative; a debit is stored negated
    qint32 gross = 0;
    qint64 party = 0;
    QString notes; // empty: stored as NULL
    // The tray rows that are not zero, in list order.
    std::vector<TAllocationShare> shares;
};

// Writes the transaction and its allocations as one change, after checking that the account, the party
// and the budget items are still there, and records its undo group. Returns the new transaction's ROWID,
// or 0 when the change was refused or failed (the person has been told why).
qint64 StoreEntry(IMainWindow& main, qint64 system, qint64 account, const TEntryRows& entry);

} // namespace ledger
