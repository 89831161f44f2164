#include "bench/CreditBench.h"

#include "ledger/TransactionRows.h"
#include "platform/Messages.h"
#include "platform/ProgramDir.h"
#include "platform/Today.h"
#include "store/DataStore.h"
#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"
#include "store/UndoJournal.h"
#include "ui/MainWindowInterface.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <sqlite3.h>

namespace bench {

namespace {

// The main window as far as a change of transactions needs it: the data file and the undo journal.
class TBenchMainWindow : public IMainWindow
{
public:
    TBenchMainWindow() : m_journal(m_store) { m_journal.ResetUndoJournal(); }

    TDataStore& Store() override { return m_store; }
    TSQLiteDatabase& Data() override { return m_store.Data(); }
    void OpenStore() override { m_store.OpenStore(); }
    void StoreExec(const QString& sql) override { m_store.StoreExec(sql); }
    QString StoreQueryValue(const QString& sql) override { return m_store.StoreQueryValue(sql); }
    bool StoreChange(const TDataStore::ChangeBody& body) override { return m_store.Change(body); }
    void ResetUndoJournal() override { m_journal.ResetUndoJournal(); }
    void BeginUndoGroup() override { m_journal.BeginUndoGroup(); }
    void RecordUndo(const QString& sql, const QString& notice) override { m_journal.RecordUndo(sql, notice); }
    void EndUndoGroup() override { m_journal.EndUndoGroup(); }
    void RecordUndoGroup(const std::vector<TUndoRecord>& records) override { m_journal.RecordUndoGroup(records); }
    void ExchangeScreen(TScreenFrame*) override {}
    TScreenFrame* CurrentScreen() const override { return nullptr; }
    void ShowDefaultScreen() override {}
    void SetScreenBusy(bool) override {}
    bool ScreenBusy() const override { return false; }
    void PostReleaseScreen(TScreenFrame*) override {}
    void SetPrintEnabled(bool) override {}
    bool RememberedShowBudgetTray() const override { return true; }
    void SetRememberedShowBudgetTray(bool) override {}
    int RememberedWidth(int) const override { return 0; }
    void SaveRememberedWidth(int, int) override {}
    void ShowHelpTopic(const QString&) override {}
    void ShowScreenHelp() override {}
    void NotifyUpdateSystems() override {}
    void NotifyUpdateBudgetItems() override {}
    void NotifyUpdateParties() override {}
    void NotifyUpdateAccounts() override {}

    TUndoJournal& Journal() { return m_journal; }

private:
    TDataStore m_store;
    TUndoJournal m_journal;
};

// The account the credit goes to, with what the register shows of it by default: the unpassed
// transactions of the last 31 days, newest first, and its two balances.
struct TTarget
{
    qint64 system = 0;
    qint64 account = 0;
    QString balance, passedBalance, list;
    // The count queries the change runs before it writes.
    QStringList checks;
};

TTarget ChooseTarget(TSQLiteDatabase& db)
{
    TTarget target;
    // A live account of a live system: the change refuses any other.
    target.account = db.QueryValue(QStringLiteral("SELECT Transactions.AccountID FROM Transactions, Accounts WHERE "
                                                  "((Accounts.ROWID = Transactions.AccountID) AND (Accounts.Deleted = "
                                                  "\"f\") AND (Accounts.SystemID IN (SELECT ROWID FROM "
                                                  "BudgetSystems))) GROUP BY Transactions.AccountID ORDER BY "
                                                  "count(*) DESC LIMIT 1"))
                         .toLongLong();
    target.system = db.QueryValue(QStringLiteral("SELECT SystemID FROM Accounts WHERE ROWID = %1").arg(target.account))
                        .toLongLong();
    const QString account = QString::number(target.account);
    target.balance = QStringLiteral("SELECT sum(Amount) FROM Transactions WHERE AccountID = %1").arg(account);
    target.passedBalance =
        QStringLiteral("SELECT sum(Amount) FROM Transactions WHERE ((AccountID = %1) AND (Passed = \"t\"))")
            .arg(account);
    target.list = QStringLiteral("SELECT Transactions.Passed, Transactions.TransID, Transactions.Date, "
                                 "Transactions.Amount, Parties.Name, Transactions.Notes, Transactions.ROWID FROM "
                                 "Transactions, Parties WHERE ((AccountID = %1) AND (Transactions.SecondPartyID = "
                                 "Parties.ROWID) AND (Transactions.Passed != \"t\") AND (Transactions.Date >= %2)) "
                                 "ORDER BY Transactions.Date DESC")
                      .arg(account, QString::number(DateToDayNumber(platform::Today()) - 31));
    return target;
}

// A credit of 1000.00 from one of the system's parties, a tenth on each of ten budget items.
ledger::TEntryRows TenWayCredit(TSQLiteDatabase& db, const TTarget& target)
{
    ledger::TEntryRows entry;
    entry.id = QStringLiteral("D-1");
    entry.day = DateToDayNumber(platform::Today());
    entry.amount = 100000;
    entry.gross = 100000;
    entry.party = db.QueryValue(QStringLiteral("SELECT ROWID FROM Parties WHERE ((SystemID = %1) AND "
                                               "(Deleted = \"f\")) ORDER BY ROWID LIMIT 1")
                                    .arg(target.system))
                      .toLongLong();
    entry.notes = QStringLiteral("monthly pay");
    db.ExecSQL(QStringLiteral("SELECT ROWID FROM BudgetCategories WHERE ((SystemID = %1) AND (Deleted = \"f\")) "
                              "ORDER BY ROWID LIMIT 10")
                   .arg(target.system));
    for (int row = 0; row < db.RowCount(0); ++row)
        entry.shares.push_back({db.Cell(0, row).toLongLong(), 10000});
    return entry;
}

// The same checks, in the same words, as the change runs them.
QStringList EntryChecks(const TTarget& target, const ledger::TEntryRows& entry)
{
    const QString system = QString::number(target.system);
    QStringList items;
    for (const ledger::TAllocationShare& share : entry.shares)
        items.append(QString::number(share.item));
    return {QStringLiteral("SELECT count(*) FROM Accounts WHERE ((ROWID = %1) AND (SystemID = %2) AND (Deleted = "
                           "\"f\") AND (SystemID IN (SELECT ROWID FROM BudgetSystems)))")
                .arg(QString::number(target.account), system),
            QStringLiteral("SELECT count(*) FROM Parties WHERE ((ROWID = %1) AND (SystemID = %2))")
                .arg(QString::number(entry.party), system),
            QStringLiteral("SELECT count(*) = %1 FROM BudgetCategories WHERE ((SystemID = %2) AND (ROWID IN (%3)))")
                .arg(QString::number(items.size()), system, items.join(QStringLiteral(", ")))};
}

// The register's refresh through the store: both balances and the list, each a user action of its own.
void Refresh(IMainWindow& main, const TTarget& target, int& rows)
{
    main.StoreQueryValue(target.balance);
    main.StoreQueryValue(target.passedBalance);
    TSQLiteDatabase& db = main.Data();
    TCloseOnExit close(db);
    main.OpenStore();
    db.ExecSQL(target.list);
    rows = db.RowCount(0);
}

// The time of storing the credit and refreshing, or -1 when the credit was not stored.
qint64 OursNanoseconds(TBenchMainWindow& main, const TTarget& target, const ledger::TEntryRows& entry, int& rows)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 transaction = ledger::StoreEntry(main, target.system, target.account, entry);
    Refresh(main, target, rows);
    const qint64 elapsed = timer.nsecsElapsed();
    if (transaction == 0)
        return -1;
    // Back as it was for the next run.
    main.Journal().UndoLastGroup();
    return elapsed;
}

int Exec(sqlite3* db, const QString& sql)
{
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
}

// Prepares, steps through every row and fetches every column as text.
int Step(sqlite3* db, const QString& sql)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    int rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c)
            sqlite3_column_text(stmt, c);
        ++rows;
    }
    sqlite3_finalize(stmt);
    return rows;
}

// The engine alone doing the same: one connection to each file, the same checks and statements in one
// transaction, the two undo records in the scratch file (which does not sync, as the journal's does not),
// the same three queries.
qint64 EngineNanoseconds(const QString& path, const QString& scratchPath, const TTarget& target,
                         const ledger::TEntryRows& entry, int& rows)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    Exec(db, QStringLiteral("BEGIN IMMEDIATE"));
    // The checks the change makes first: the account, the party and the budget items are still there.
    for (const QString& check : target.checks)
        Step(db, check);
    Exec(db, QStringLiteral("INSERT INTO Transactions (TransID, AccountID, Date, Amount, GrossAmount, SecondPartyID, "
                            "Notes) VALUES (%1, %2, %3, %4, %5, %6, %7)")
                 .arg(SqlText(entry.id), QString::number(target.account), QString::number(entry.day),
                      QString::number(entry.amount), QString::number(entry.gross), QString::number(entry.party),
                      SqlText(entry.notes)));
    const qint64 transaction = sqlite3_last_insert_rowid(db);
    for (const ledger::TAllocationShare& share : entry.shares)
        Exec(db, QStringLiteral("INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) VALUES "
                                "(%1, %2, %3, %4)")
                     .arg(QString::number(share.item), QString::number(share.hundredths), QString::number(transaction),
                          QString::number(entry.day)));
    Exec(db, QStringLiteral("COMMIT"));

    sqlite3* scratch = nullptr;
    sqlite3_open_v2(scratchPath.toUtf8().constData(), &scratch, SQLITE_OPEN_READWRITE, nullptr);
    Exec(scratch, QStringLiteral("PRAGMA synchronous = OFF"));
    Exec(scratch, QStringLiteral("BEGIN"));
    Exec(scratch, QStringLiteral("INSERT INTO UndoStack (StackNumber, GroupNumber, SQL, Notify) VALUES "
                                 "(1000001, 1000001, 'DELETE FROM Transactions WHERE ROWID = %1', 'Accounts')")
                      .arg(transaction));
    Exec(scratch, QStringLiteral("INSERT INTO UndoStack (StackNumber, GroupNumber, SQL, Notify) VALUES "
                                 "(1000002, 1000001, 'DELETE FROM NewBudgetTransactions WHERE TransID = %1', "
                                 "'Accounts')")
                      .arg(transaction));
    Exec(scratch, QStringLiteral("COMMIT"));
    sqlite3_close(scratch);

    Step(db, target.balance);
    Step(db, target.passedBalance);
    rows = Step(db, target.list);
    sqlite3_close(db);
    const qint64 elapsed = timer.nsecsElapsed();

    // Back as it was for the next run.
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    Exec(db, QStringLiteral("DELETE FROM NewBudgetTransactions WHERE TransID = %1; DELETE FROM Transactions WHERE "
                            "ROWID = %1")
                 .arg(transaction));
    sqlite3_close(db);
    sqlite3_open_v2(scratchPath.toUtf8().constData(), &scratch, SQLITE_OPEN_READWRITE, nullptr);
    Exec(scratch, QStringLiteral("DELETE FROM UndoStack WHERE GroupNumber = 1000001"));
    sqlite3_close(scratch);
    return elapsed;
}

} // namespace

bool CreditFigure(const QString& path, QTextStream& out)
{
    // The program finds its data file beside itself.
    platform::SetProgramDirOverride(QFileInfo(path).absolutePath());
    bool ok = true;
    {
        TBenchMainWindow main;
        TTarget target;
        ledger::TEntryRows entry;
        {
            TSQLiteDatabase& db = main.Data();
            TCloseOnExit close(db);
            main.OpenStore();
            target = ChooseTarget(db);
            entry = TenWayCredit(db, target);
            target.checks = EntryChecks(target, entry);
        }
        if (entry.shares.size() != 10 || entry.party == 0) {
            std::fputs("the benchmark's data file has no system with ten budget items and a party\n", stderr);
            ok = false;
        } else {
            const QString scratch = main.Journal().ScratchFilePath();
            qint64 engine = std::numeric_limits<qint64>::max();
            qint64 ours = std::numeric_limits<qint64>::max();
            int engineRows = 0, ourRows = 0;
            // A refused credit is told on the error stream rather than in a box nobody sees.
            QString refusal;
            platform::SetMessageHandler([&refusal](platform::MsgIcon, const QString& text, platform::MsgButtons) {
                refusal = text;
                return platform::MsgAnswer::Ok;
            });
            bool stored = true;
            for (int run = 0; run < 7 && stored; ++run) {
                engine = std::min(engine, EngineNanoseconds(path, scratch, target, entry, engineRows));
                const qint64 time = OursNanoseconds(main, target, entry, ourRows);
                stored = time >= 0;
                if (stored)
                    ours = std::min(ours, time);
            }
            platform::SetMessageHandler({});
            if (!stored) {
                std::fprintf(stderr, "the credit was not stored: %s\n", qPrintable(refusal));
                ok = false;
            } else if (engineRows != ourRows || ourRows == 0) {
                std::fprintf(stderr, "the refreshed list held %d rows for the engine and %d for the program\n",
                             engineRows, ourRows);
                ok = false;
            } else {
                out << "credit: " << QString::number(double(ours) / double(engine), 'f', 2) << '\n';
            }
        }
        main.Journal().Discard();
    }
    platform::SetProgramDirOverride(QString());
    return ok;
}

} // namespace bench
