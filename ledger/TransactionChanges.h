#pragma once

#include <QtGlobal>

class IMainWindow;
class QWidget;

// The changes the account register makes to an account's transactions: entering a credit, a debit or a
// transfer, editing either, and deleting. Each collects its input through the transaction wizard (shown
// over parent), writes all of its statements or none, records its undo group, and returns whether the data
// file changed, so that the register knows to refresh its list and balances. None of them refreshes a
// screen itself.
namespace ledger {

bool AddAccountTransaction(IMainWindow& main, QWidget* parent, qint64 system, qint64 account, bool debit);
// Edits the transaction with this ROWID; one half of a transfer goes to EditTransfer.
bool EditTransaction(IMainWindow& main, QWidget* parent, qint64 system, qint64 account, qint64 transaction);
bool EnterTransfer(IMainWindow& main, QWidget* parent, qint64 system, qint64 account);
bool EditTransfer(IMainWindow& main, QWidget* parent, qint64 system, qint64 account, qint64 transaction);
// Asks first; deletes an ordinary transaction, or both halves of a transfer and their link.
bool DeleteTransaction(IMainWindow& main, QWidget* parent, qint64 transaction);

} // namespace ledger
