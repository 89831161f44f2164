#include "ledger/TransactionChanges.h"

// Not written yet: the register can already call these; they change nothing.
namespace ledger {

bool AddAccountTransaction(IMainWindow&, QWidget*, qint64, qint64, bool)
{
    return false;
}

bool EditTransaction(IMainWindow&, QWidget*, qint64, qint64, qint64)
{
    return false;
}

bool EnterTransfer(IMainWindow&, QWidget*, qint64, qint64)
{
    return false;
}

bool EditTransfer(IMainWindow&, QWidget*, qint64, qint64, qint64)
{
    return false;
}

bool DeleteTransaction(IMainWindow&, QWidget*, qint64)
{
    return false;
}

} // namespace ledger
