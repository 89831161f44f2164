#include "ledger/TransactionChanges.h"

#include "ledger/CheckWizard.h"
#include "ledger/TransactionRows.h"
#include "ledger/controls/RealEdit.h"
#include "platform/Messages.h"
#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"
#include "ui/MainWindowInterface.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStringList>
#include <limits>
#include <map>
#include <set>

namespace ledger {

namespace {

const QString kNotice = QStringLiteral("Accounts");

QString TransactionGone()
{
    return QStringLiteral("This transaction no longer exists.");
}

QString OtherHalfGone()
{
    return QStringLiteral("The other half of this transfer no longer exists. Delete this transaction and enter the "
                          "transfer again.");
}

QString Number(qint64 value)
{
    return QString::number(value);
}

// ----------------------------------------------------------------------------------------------------------
// What is stored, read for the undo records and for the comparison that tells a stale view

// The cells of every row of the last result.
using TRows = std::vector<QStringList>;

TRows ResultRows(TSQLiteDatabase& db)
{
    TRows rows;
    for (int row = 0; row < db.RowCount(0); ++row) {
        QStringList cells;
        for (int column = 0; column < db.ColumnCount(); ++column)
            cells.append(db.Cell(column, row));
        rows.push_back(cells);
    }
    return rows;
}

// Inside a change a failing query stops the change. Outside one (while the wizard is filled) it reads as no
// rows, and the change then finds the stored rows differ from those and refuses.
TRows QueryRows(TStoreChange& change, const QString& sql)
{
    change.Exec(sql);
    return ResultRows(change.Db());
}

TRows QueryRows(TSQLiteDatabase& db, const QString& sql)
{
    return db.ExecSQL(sql) == 0 ? ResultRows(db) : TRows();
}

QString Values(const QStringList& cells)
{
    return cells.join(QStringLiteral(", "));
}

// A transaction as it is stored: its row and its allocations, every value as the engine's own literal, so
// that NULL stays NULL and any text comes back exactly.
struct TStoredTransaction
{
    qint64 rowId = 0;
    // Passed, TransID, AccountID, Date, Amount, GrossAmount, SecondPartyID, Notes; empty when it is gone.
    QStringList row;
    // BudgetCatID, Amount, TransID, TransDate of each allocation, in the order they were written.
    TRows allocations;

    bool Exists() const { return !row.isEmpty(); }
    bool operator==(const TStoredTransaction&) const = default;
};

template <class Source> TStoredTransaction ReadTransaction(Source& source, qint64 transaction)
{
    TStoredTransaction stored;
    stored.rowId = transaction;
    const TRows rows = QueryRows(
        source, QStringLiteral("SELECT quote(Passed), quote(TransID), quote(AccountID), quote(Date), quote(Amount), "
                               "quote(GrossAmount), quote(SecondPartyID), quote(Notes) FROM Transactions "
                               "WHERE ROWID = %1")
                    .arg(transaction));
    if (!rows.empty())
        stored.row = rows.front();
    stored.allocations = QueryRows(source, QStringLiteral("SELECT quote(BudgetCatID), quote(Amount), quote(TransID), "
                                                          "quote(TransDate) FROM NewBudgetTransactions WHERE "
                                                          "TransID = %1 ORDER BY ROWID")
                                               .arg(transaction));
    return stored;
}

// The records that bring a deleted transaction back as it was: the row under its own ROWID (its
// allocations and its transfer link name it by that ROWID, and Undo replays the newest group first, so the
// ROWID is free again when this runs), then its allocations.
void RestoreRecords(const TStoredTransaction& stored, std::vector<TUndoRecord>& undo)
{
    if (!stored.Exists())
        return;
    undo.push_back({QStringLiteral("INSERT INTO Transactions (ROWID, Passed, TransID, AccountID, Date, Amount, "
                                   "GrossAmount, SecondPartyID, Notes) VALUES (%1, %2)")
                        .arg(Number(stored.rowId), Values(stored.row)),
                    kNotice});
    for (const QStringList& allocation : stored.allocations)
        undo.push_back({QStringLiteral("INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) "
                                       "VALUES (%1)")
                            .arg(Values(allocation)),
                        kNotice});
}

void DeleteStored(TStoreChange& change, const TStoredTransaction& stored)
{
    if (!stored.Exists())
        return;
    change.Exec(QStringLiteral("DELETE FROM NewBudgetTransactions WHERE TransID = %1").arg(stored.rowId));
    change.Exec(QStringLiteral("DELETE FROM Transactions WHERE ROWID = %1").arg(stored.rowId));
}

// A transfer link and both halves as they are stored. Files of the previous layout gave every transaction
// an allocation, the halves of a transfer too; those go and come back with the halves.
struct TStoredTransfer
{
    qint64 link = 0; // 0: no link names the transaction
    TStoredTransaction source, target;

    bool operator==(const TStoredTransfer&) const = default;
    const TStoredTransaction& Half(qint64 transaction) const { return source.rowId == transaction ? source : target; }
    const TStoredTransaction& OtherHalf(qint64 transaction) const
    {
        return source.rowId == transaction ? target : source;
    }
};

// The first link naming the transaction as either half, and both halves it names.
template <class Source> TStoredTransfer ReadTransfer(Source& source, qint64 transaction)
{
    TStoredTransfer stored;
    const TRows links = QueryRows(source, QStringLiteral("SELECT ROWID, TransID1, TransID2 FROM TransTOTrans WHERE "
                                                         "((TransID1 = %1) OR (TransID2 = %1)) ORDER BY ROWID")
                                              .arg(transaction));
    if (links.empty())
        return stored;
    stored.link = links.front()[0].toLongLong();
    stored.source = ReadTransaction(source, links.front()[1].toLongLong());
    stored.target = ReadTransaction(source, links.front()[2].toLongLong());
    // A link naming one transaction twice has one half: the other is gone, and the one there is must not
    // be deleted or restored twice.
    if (stored.target.rowId == stored.source.rowId) {
        stored.target.row.clear();
        stored.target.allocations.clear();
    }
    return stored;
}

// The records that bring a deleted transfer back as it was: both halves (or the one that was left) under
// their ROWIDs with their allocations, and the link under its own ROWID.
void RestoreTransferRecords(const TStoredTransfer& stored, std::vector<TUndoRecord>& undo)
{
    RestoreRecords(stored.source, undo);
    RestoreRecords(stored.target, undo);
    undo.push_back({QStringLiteral("INSERT INTO TransTOTrans (ROWID, TransID1, TransID2) VALUES (%1, %2, %3)")
                        .arg(Number(stored.link), Number(stored.source.rowId), Number(stored.target.rowId)),
                    kNotice});
}

void DeleteTransferRows(TStoreChange& change, const TStoredTransfer& stored)
{
    change.Exec(QStringLiteral("DELETE FROM TransTOTrans WHERE ROWID = %1").arg(stored.link));
    DeleteStored(change, stored.source);
    DeleteStored(change, stored.target);
}

// ----------------------------------------------------------------------------------------------------------
// Checks inside a change

// The register's rows can be stale (an Undo, a change from another screen): every change checks in the
// file that what it acts on or names is still there before it writes.
void RequireLiveAccount(TStoreChange& change, qint64 system, qint64 account)
{
    change.Require(QStringLiteral("SELECT count(*) FROM Accounts WHERE ((ROWID = %1) AND (SystemID = %2) AND "
                                  "(Deleted = \"f\") AND (SystemID IN (SELECT ROWID FROM BudgetSystems)))")
                       .arg(Number(account), Number(system)),
                   QStringLiteral("This account no longer exists."));
}

// A transfer edited from the register may keep an account that has been deleted since; any other account
// must be live.
void RequireTransferAccount(TStoreChange& change, qint64 system, qint64 account, const std::set<qint64>& kept)
{
    if (kept.count(account))
        change.Require(QStringLiteral("SELECT count(*) FROM Accounts WHERE ((ROWID = %1) AND (SystemID = %2))")
                           .arg(Number(account), Number(system)),
                       QStringLiteral("This account no longer exists."));
    else
        RequireLiveAccount(change, system, account);
}

void RequireParty(TStoreChange& change, qint64 system, qint64 party)
{
    change.Require(QStringLiteral("SELECT count(*) FROM Parties WHERE ((ROWID = %1) AND (SystemID = %2))")
                       .arg(Number(party), Number(system)),
                   QStringLiteral("This party no longer exists."));
}

void RequireItems(TStoreChange& change, qint64 system, const std::vector<TAllocationShare>& shares)
{
    std::set<qint64> items;
    for (const TAllocationShare& share : shares)
        items.insert(share.item);
    if (items.empty())
        return;
    QStringList list;
    for (qint64 item : items)
        list.append(Number(item));
    change.Require(QStringLiteral("SELECT count(*) = %1 FROM BudgetCategories WHERE ((SystemID = %2) AND "
                                  "(ROWID IN (%3)))")
                       .arg(Number(qint64(items.size())), Number(system), list.join(QStringLiteral(", "))),
                   QStringLiteral("A budget item of this transaction no longer exists."));
}

// An ordinary transaction of a live account. Whether it is one half of a transfer was decided before the
// change; a transfer entered meanwhile may have taken its ROWID.
void RequireOrdinary(TStoreChange& change, qint64 transaction)
{
    change.Require(QStringLiteral("SELECT count(*) FROM Transactions WHERE ROWID = %1").arg(transaction),
                   TransactionGone());
    change.Require(QStringLiteral("SELECT count(*) = 0 FROM TransTOTrans WHERE ((TransID1 = %1) OR (TransID2 = %1))")
                       .arg(transaction),
                   TransactionGone());
    change.Require(QStringLiteral("SELECT count(*) FROM Transactions, Accounts WHERE ((Transactions.ROWID = %1) "
                                  "AND (Accounts.ROWID = Transactions.AccountID) AND (Accounts.Deleted = \"f\"))")
                       .arg(transaction),
                   QStringLiteral("This account no longer exists."));
}

qint64 TransferParty(TStoreChange& change, qint64 system)
{
    const QString party = change.QueryValue(
        QStringLiteral("SELECT ROWID FROM Parties WHERE ((SystemID = %1) AND (Name = 'Transfer'))").arg(system));
    if (party.isEmpty())
        throw EChangeRefused(QStringLiteral("The party \"Transfer\" of this budget system is missing."));
    return party.toLongLong();
}

// ----------------------------------------------------------------------------------------------------------
// Writing

QString TransactionInsert(const TEntryRows& entry, qint64 account)
{
    QStringList columns, values;
    if (!entry.id.isEmpty()) {
        columns << QStringLiteral("TransID");
        values << SqlText(entry.id);
    }
    columns << QStringLiteral("AccountID") << QStringLiteral("Date") << QStringLiteral("Amount")
            << QStringLiteral("GrossAmount") << QStringLiteral("SecondPartyID");
    values << Number(account) << Number(entry.day) << Number(entry.debit ? -qint64(entry.amount) : entry.amount)
           << Number(entry.gross) << Number(entry.party);
    if (!entry.notes.isEmpty()) {
        columns << QStringLiteral("Notes");
        values << SqlText(entry.notes);
    }
    return QStringLiteral("INSERT INTO Transactions (%1) VALUES (%2)")
        .arg(columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
}

// A debit's allocations are the negated tray amounts, so that they add up to its negative amount.
void InsertAllocations(TStoreChange& change, const TEntryRows& entry, qint64 transaction)
{
    for (const TAllocationShare& share : entry.shares)
        change.Exec(QStringLiteral("INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) "
                                   "VALUES (%1, %2, %3, %4)")
                        .arg(Number(share.item), Number(entry.debit ? -qint64(share.hundredths) : share.hundredths),
                             Number(transaction), Number(entry.day)));
}

// What the wizard holds after OK, for a credit or a debit. The gross cell is stored as it stands: a new
// debit's holds 0.00 (it cannot be opened), an edited one's the stored gross amount, which an edit that
// changes nothing must not alter.
TEntryRows ReadEntry(TfrmCheckWizard& wizard, bool debit)
{
    TEntryRows entry;
    entry.debit = debit;
    entry.id = wizard.edID->text();
    entry.day = wizard.DayNumber();
    entry.amount = wizard.edAmount->IntValue();
    entry.gross = MoneyTextToHundredths(wizard.GrossText());
    entry.party = wizard.SelectedPartyID();
    entry.notes = wizard.memNotes->toPlainText();
    for (const TfrmCheckWizard::TTrayEntry& row : wizard.TrayRows()) {
        const qint32 share = MoneyTextToHundredths(row.amount);
        if (share != 0)
            entry.shares.push_back({row.rowId, share});
    }
    return entry;
}

struct TTransferRows
{
    QString id;
    qint32 day = 0;
    qint32 amount = 0;
    QString notes;
    qint64 from = 0;
    qint64 to = 0;
};

// The transfer the wizard holds, when it closed with OK on two different accounts and an amount above 0.
bool ReadTransferRows(TfrmCheckWizard& wizard, int result, TTransferRows& transfer)
{
    if (result != QDialog::Accepted)
        return false;
    transfer.from = wizard.FromAccountID();
    transfer.to = wizard.ToAccountID();
    if (transfer.from == 0 || transfer.to == 0 || transfer.from == transfer.to || !(wizard.edAmount->RealValue() > 0))
        return false;
    transfer.id = wizard.edID->text();
    transfer.day = wizard.DayNumber();
    transfer.amount = wizard.edAmount->IntValue();
    transfer.notes = wizard.memNotes->toPlainText();
    return true;
}

QString TransferHalfInsert(const TTransferRows& transfer, qint64 account, qint64 amount, qint64 party)
{
    QStringList columns, values;
    if (!transfer.id.isEmpty()) {
        columns << QStringLiteral("TransID");
        values << SqlText(transfer.id);
    }
    columns << QStringLiteral("AccountID") << QStringLiteral("Date") << QStringLiteral("Amount")
            << QStringLiteral("SecondPartyID");
    values << Number(account) << Number(transfer.day) << Number(amount) << Number(party);
    if (!transfer.notes.isEmpty()) {
        columns << QStringLiteral("Notes");
        values << SqlText(transfer.notes);
    }
    return QStringLiteral("INSERT INTO Transactions (%1) VALUES (%2)")
        .arg(columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
}

struct TNewTransfer
{
    qint64 source = 0;
    qint64 target = 0;
};

// Both halves and their link; the source is the half that gives the money.
TNewTransfer InsertTransfer(TStoreChange& change, qint64 system, const TTransferRows& transfer,
                            const std::set<qint64>& keptAccounts)
{
    RequireTransferAccount(change, system, transfer.from, keptAccounts);
    RequireTransferAccount(change, system, transfer.to, keptAccounts);
    const qint64 party = TransferParty(change, system);
    TNewTransfer stored;
    change.Exec(TransferHalfInsert(transfer, transfer.from, -qint64(transfer.amount), party));
    stored.source = change.LastInsertRowID();
    change.Exec(TransferHalfInsert(transfer, transfer.to, transfer.amount, party));
    stored.target = change.LastInsertRowID();
    change.Exec(QStringLiteral("INSERT INTO TransTOTrans (TransID1, TransID2) VALUES (%1, %2)")
                    .arg(Number(stored.source), Number(stored.target)));
    return stored;
}

std::vector<TUndoRecord> RemoveTransferRecords(const TNewTransfer& stored)
{
    return {{QStringLiteral("DELETE FROM Transactions WHERE ROWID = %1").arg(stored.source), kNotice},
            {QStringLiteral("DELETE FROM Transactions WHERE ROWID = %1").arg(stored.target), kNotice},
            {QStringLiteral("DELETE FROM TransTOTrans WHERE ((TransID1 = %1) AND (TransID2 = %2))")
                 .arg(Number(stored.source), Number(stored.target)),
             kNotice}};
}

int LinkCount(IMainWindow& main, qint64 transaction)
{
    const QString count = main.StoreQueryValue(
        QStringLiteral("SELECT count(*) FROM TransTOTrans WHERE ((TransID1 = %1) OR (TransID2 = %1))")
            .arg(transaction));
    return count.isEmpty() ? 0 : TextToInt(count);
}

// ----------------------------------------------------------------------------------------------------------
// Filling the wizard

// The stored party, shown also when it has been deleted since (it is then added to the list).
void SelectParty(TSQLiteDatabase& db, TfrmCheckWizard& wizard, qint64 party)
{
    // Showing the stored party is no change of the party: the rules must not run again for it alone.
    const QSignalBlocker block(wizard.edParty);
    int index = wizard.edParty->findData(party);
    if (index < 0) {
        const QString name = db.QueryValue(QStringLiteral("SELECT Name FROM Parties WHERE ROWID = %1").arg(party));
        wizard.edParty->addItem(name, party);
        index = wizard.edParty->count() - 1;
    }
    wizard.edParty->setCurrentIndex(index);
    wizard.edParty->setEditText(wizard.edParty->itemText(index));
}

// The stored account in one of the transfer's lists, added to that list when it has been deleted since.
void SelectAccount(TSQLiteDatabase& db, QComboBox* list, qint64 account)
{
    int index = list->findData(account);
    if (index < 0) {
        const QString name = db.QueryValue(QStringLiteral("SELECT Name FROM Accounts WHERE ROWID = %1").arg(account));
        list->addItem(name, account);
        index = list->count() - 1;
    }
    list->setCurrentIndex(index);
}

// Fills the wizard from the stored transaction and its allocations, and gives them as they were read: the
// change writes only when it finds them so still. A value that cannot be read ends the filling: the wizard
// is shown with what was filled so far.
TStoredTransaction FillEntry(IMainWindow& main, TfrmCheckWizard& wizard, qint64 transaction, bool debit)
{
    TSQLiteDatabase& db = main.Data();
    TCloseOnExit close(db);
    main.OpenStore();
    const TStoredTransaction shown = ReadTransaction(db, transaction);
    try {
        db.ExecSQL(QStringLiteral("SELECT TransID, Date, Amount, GrossAmount, SecondPartyID, Notes FROM Transactions "
                                  "WHERE ROWID = %1")
                       .arg(transaction));
        if (db.RowCount(0) == 0)
            return shown;
        QStringList row;
        for (int column = 0; column < 6; ++column)
            row.append(db.Cell(column, 0));
        wizard.edID->setText(row[0]);
        wizard.DateTimePicker->setDate(DayNumberToDate(TextToInt(row[1])));
        wizard.edAmount->SetIntValue(qAbs(qint64(TextToInt(row[2]))));
        wizard.SetGrossText(StoredToMoneyText(row[3]));
        wizard.memNotes->setPlainText(row[5]);
        SelectParty(db, wizard, row[4].toLongLong());

        db.ExecSQL(QStringLiteral("SELECT BudgetCatID, Amount FROM NewBudgetTransactions WHERE TransID = %1")
                       .arg(transaction));
        // Two stored allocations of one item (older files have them) are shown together, so that the tray
        // still adds up to the amount.
        std::map<qint64, qint64> amounts;
        std::vector<qint64> order;
        for (int r = 0; r < db.RowCount(0); ++r) {
            const qint64 item = db.Cell(0, r).toLongLong();
            if (!amounts.count(item))
                order.push_back(item);
            amounts[item] += TextToInt(db.Cell(1, r));
        }
        for (qint64 item : order) {
            const qint64 onTray = debit ? -amounts[item] : amounts[item];
            if (onTray >= std::numeric_limits<qint32>::min() && onTray <= std::numeric_limits<qint32>::max())
                wizard.SetTrayAmount(item, HundredthsToMoneyText(qint32(onTray)));
        }
    } catch (const EConvertError&) {
        // What was read so far is shown.
    }
    return shown;
}

void FillTransfer(IMainWindow& main, TfrmCheckWizard& wizard, const TStoredTransfer& found)
{
    TSQLiteDatabase& db = main.Data();
    TCloseOnExit close(db);
    try {
        main.OpenStore();
        db.ExecSQL(QStringLiteral("SELECT TransID, Date, Amount, SecondPartyID, Notes, AccountID FROM Transactions "
                                  "WHERE ROWID = %1")
                       .arg(found.source.rowId));
        if (db.RowCount(0) == 0)
            return;
        QStringList row;
        for (int column = 0; column < 6; ++column)
            row.append(db.Cell(column, 0));
        wizard.edID->setText(row[0]);
        wizard.DateTimePicker->setDate(DayNumberToDate(TextToInt(row[1])));
        wizard.edAmount->SetIntValue(qAbs(qint64(TextToInt(row[2]))));
        wizard.memNotes->setPlainText(row[4]);
        SelectAccount(db, wizard.cmboFrom, row[5].toLongLong());
        const QString target = db.QueryValue(
            QStringLiteral("SELECT AccountID FROM Transactions WHERE ROWID = %1").arg(found.target.rowId));
        if (!target.isEmpty())
            SelectAccount(db, wizard.cmboTo, target.toLongLong());
    } catch (const EConvertError&) {
        // What was read so far is shown.
    }
}

void Refuse(QWidget* parent, const QString& text)
{
    platform::ShowMessage(platform::MsgIcon::Warning, text, platform::MsgButtons::Ok, parent);
}

// ----------------------------------------------------------------------------------------------------------
// Deleting

bool DeleteOrdinary(IMainWindow& main, qint64 transaction)
{
    std::vector<TUndoRecord> undo;
    const bool deleted = main.StoreChange([&](TStoreChange& change) {
        RequireOrdinary(change, transaction);
        const TStoredTransaction stored = ReadTransaction(change, transaction);
        RestoreRecords(stored, undo);
        DeleteStored(change, stored);
    });
    if (!deleted)
        return false;
    // Older groups may name the deleted rows; after a deletion only the deletion itself can be undone.
    main.ResetUndoJournal();
    main.RecordUndoGroup(undo);
    return true;
}

// Both halves and the link; when one half is already gone (a file written otherwise), the half that is
// left and the link, so that it can be cleared away from the register.
bool DeleteTransfer(IMainWindow& main, qint64 transaction)
{
    std::vector<TUndoRecord> undo;
    const bool deleted = main.StoreChange([&](TStoreChange& change) {
        const TStoredTransfer found = ReadTransfer(change, transaction);
        if (found.link == 0 || !found.Half(transaction).Exists())
            throw EChangeRefused(TransactionGone());
        RestoreTransferRecords(found, undo);
        DeleteTransferRows(change, found);
    });
    if (!deleted)
        return false;
    main.ResetUndoJournal();
    main.RecordUndoGroup(undo);
    return true;
}

} // namespace

qint64 StoreEntry(IMainWindow& main, qint64 system, qint64 account, const TEntryRows& entry)
{
    qint64 transaction = 0;
    const bool stored = main.StoreChange([&](TStoreChange& change) {
        RequireLiveAccount(change, system, account);
        RequireParty(change, system, entry.party);
        RequireItems(change, system, entry.shares);
        change.Exec(TransactionInsert(entry, account));
        transaction = change.LastInsertRowID();
        InsertAllocations(change, entry, transaction);
    });
    if (!stored)
        return 0;
    main.RecordUndoGroup(
        {{QStringLiteral("DELETE FROM Transactions WHERE ROWID = %1").arg(transaction), kNotice},
         {QStringLiteral("DELETE FROM NewBudgetTransactions WHERE TransID = %1").arg(transaction), kNotice}});
    return transaction;
}

bool AddAccountTransaction(IMainWindow& main, QWidget* parent, qint64 system, qint64 account, bool debit)
{
    TfrmCheckWizard wizard(main, parent);
    wizard.SetSystem(system);
    wizard.SetAccount(account);
    wizard.PrepareEntry(debit, false);
    if (wizard.ShowModal() != QDialog::Accepted || !(wizard.edAmount->RealValue() > 0))
        return false;
    return StoreEntry(main, system, account, ReadEntry(wizard, debit)) != 0;
}

bool EditTransaction(IMainWindow& main, QWidget* parent, qint64 system, qint64 account, qint64 transaction)
{
    if (transaction <= 0)
        return false;
    if (LinkCount(main, transaction) >= 1)
        return EditTransfer(main, parent, system, account, transaction);
    const QString amount =
        main.StoreQueryValue(QStringLiteral("SELECT Amount FROM Transactions WHERE ROWID = %1").arg(transaction));
    if (amount.isEmpty()) {
        Refuse(parent, TransactionGone());
        return false;
    }
    const bool debit = TextToInt(amount) < 0;

    TfrmCheckWizard wizard(main, parent);
    wizard.SetSystem(system);
    wizard.SetAccount(account);
    wizard.PrepareEntry(debit, true);
    const TStoredTransaction shown = FillEntry(main, wizard, transaction, debit);
    if (!shown.Exists()) {
        Refuse(parent, TransactionGone());
        return false;
    }
    // An edit may set the amount to 0.00: it is stored as it stands.
    if (wizard.ShowModal() != QDialog::Accepted)
        return false;
    const TEntryRows entry = ReadEntry(wizard, debit);

    QStringList update;
    update << (entry.id.isEmpty() ? QStringLiteral("TransID = NULL") : QStringLiteral("TransID = ") + SqlText(entry.id))
           << QStringLiteral("Date = ") + Number(entry.day)
           << QStringLiteral("Amount = ") + Number(debit ? -qint64(entry.amount) : entry.amount)
           << QStringLiteral("GrossAmount = ") + Number(entry.gross)
           << QStringLiteral("SecondPartyID = ") + Number(entry.party)
           << (entry.notes.isEmpty() ? QStringLiteral("Notes = NULL")
                                     : QStringLiteral("Notes = ") + SqlText(entry.notes));

    std::vector<TUndoRecord> undo;
    const bool stored = main.StoreChange([&](TStoreChange& change) {
        // The wizard showed the transaction as it was then. A ROWID can name another transaction by now
        // (the newest ROWID is taken again after a deletion, and Undo brings old ROWIDs back), so the row
        // and its allocations must be exactly those the wizard was filled from.
        const TStoredTransaction saved = ReadTransaction(change, transaction);
        if (saved != shown)
            throw EChangeRefused(TransactionGone());
        RequireOrdinary(change, transaction);
        RequireParty(change, system, entry.party);
        RequireItems(change, system, entry.shares);
        // The reversing statements are read before anything changes.
        undo.push_back(
            {QStringLiteral("DELETE FROM NewBudgetTransactions WHERE TransID = %1").arg(transaction), kNotice});
        const QStringList& v = saved.row;
        undo.push_back({QStringLiteral("UPDATE Transactions SET Passed = %1, TransID = %2, AccountID = %3, Date = %4, "
                                       "Amount = %5, GrossAmount = %6, SecondPartyID = %7, Notes = %8 WHERE ROWID = %9")
                            .arg(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], Number(transaction)),
                        kNotice});
        for (const QStringList& allocation : saved.allocations)
            undo.push_back({QStringLiteral("INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, "
                                           "TransDate) VALUES (%1)")
                                .arg(Values(allocation)),
                            kNotice});

        change.Exec(QStringLiteral("UPDATE Transactions SET %1 WHERE ROWID = %2")
                        .arg(update.join(QStringLiteral(", ")), Number(transaction)));
        change.Exec(QStringLiteral("DELETE FROM NewBudgetTransactions WHERE TransID = %1").arg(transaction));
        InsertAllocations(change, entry, transaction);
    });
    if (!stored)
        return false;
    main.RecordUndoGroup(undo);
    return true;
}

bool EnterTransfer(IMainWindow& main, QWidget* parent, qint64 system, qint64 account)
{
    TfrmCheckWizard wizard(main, parent);
    wizard.SetSystem(system);
    wizard.SetAccount(account);
    wizard.PrepareTransfer();
    TTransferRows transfer;
    if (!ReadTransferRows(wizard, wizard.ShowModal(), transfer))
        return false;
    TNewTransfer stored;
    if (!main.StoreChange([&](TStoreChange& change) { stored = InsertTransfer(change, system, transfer, {}); }))
        return false;
    main.RecordUndoGroup(RemoveTransferRecords(stored));
    return true;
}

bool EditTransfer(IMainWindow& main, QWidget* parent, qint64 system, qint64 account, qint64 transaction)
{
    if (transaction <= 0)
        return false;
    TfrmCheckWizard wizard(main, parent);
    wizard.SetSystem(system);
    wizard.SetAccount(account);
    wizard.PrepareTransfer();

    TStoredTransfer shown;
    {
        TSQLiteDatabase& db = main.Data();
        TCloseOnExit close(db);
        main.OpenStore();
        shown = ReadTransfer(db, transaction);
    }
    if (shown.link == 0 || !shown.Half(transaction).Exists()) {
        Refuse(parent, TransactionGone());
        return false;
    }
    // Made anew, a transfer needs both of its accounts; with one half gone only deleting what is left is
    // sound, since editing the half alone would leave it linked to nothing.
    if (!shown.OtherHalf(transaction).Exists()) {
        Refuse(parent, OtherHalfGone());
        return false;
    }
    FillTransfer(main, wizard, shown);
    // The accounts the transfer was stored with may be kept even when one has been deleted since.
    const std::set<qint64> kept{wizard.FromAccountID(), wizard.ToAccountID()};

    TTransferRows transfer;
    if (!ReadTransferRows(wizard, wizard.ShowModal(), transfer))
        return false;

    std::vector<TUndoRecord> undo;
    TNewTransfer stored;
    const bool changed = main.StoreChange([&](TStoreChange& change) {
        // The same link and both halves exactly as the wizard was filled from them: ROWIDs are taken again.
        const TStoredTransfer now = ReadTransfer(change, transaction);
        if (now != shown)
            throw EChangeRefused(TransactionGone());
        RestoreTransferRecords(now, undo);
        // The new halves are written before the old ones go, so that they never take the old ROWIDs: an
        // edited transfer is a new one.
        stored = InsertTransfer(change, system, transfer, kept);
        DeleteTransferRows(change, now);
    });
    if (!changed)
        return false;
    for (TUndoRecord& record : RemoveTransferRecords(stored))
        undo.push_back(std::move(record));
    main.ResetUndoJournal();
    main.RecordUndoGroup(undo);
    return true;
}

bool DeleteTransaction(IMainWindow& main, QWidget* parent, qint64 transaction)
{
    if (transaction <= 0)
        return false;
    // Only Yes deletes; No, or closing the question, keeps everything.
    if (platform::ShowMessage(platform::MsgIcon::Warning,
                              QStringLiteral("Are you sure you want to delete this transaction?"),
                              platform::MsgButtons::YesNo, parent) != platform::MsgAnswer::Yes)
        return false;
    if (LinkCount(main, transaction) <= 0)
        return DeleteOrdinary(main, transaction);
    if (platform::ShowMessage(
            platform::MsgIcon::Warning,
            QStringLiteral("This is a transfer.\r\nThis transaction will also be deleted\r\nfrom the "
                           "account it was transferred to/from.\r\nAre you sure you want to do this?"),
            platform::MsgButtons::YesNo, parent) != platform::MsgAnswer::Yes)
        return false;
    return DeleteTransfer(main, transaction);
}

} // namespace ledger
