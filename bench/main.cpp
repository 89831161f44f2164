// Benchmarks of Cofferly, each reported as a ratio against the database engine's own time for the same
// work, so that the figures mean the same on a slow machine and a fast one. One line per figure:
// "name: value".
#include "bench/BenchData.h"
#include "bench/BudgetItemsBench.h"
#include "bench/CreditBench.h"
#include "bench/RegisterBench.h"
#include "bench/BudgetItemsBench.h"
#include "bench/RulesBench.h"
#include "bench/SummariesBench.h"
#include "store/SQLiteDatabase.h"
#include "store/Upgrade.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace {

const char kAllTransactions[] =
    "SELECT ROWID, Date, Amount, Passed, TransID, SecondPartyID, Notes FROM Transactions ORDER BY Date, ROWID";

// The engine alone: prepare, step through every row and fetch every column as text.
qint64 EngineNanoseconds(const QString& path, int& rows)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, kAllTransactions, -1, &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    rows = 0;
    size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(stmt, c);
            bytes += text ? static_cast<size_t>(sqlite3_column_bytes(stmt, c)) : 0;
        }
        ++rows;
    }
    sqlite3_finalize(stmt);
    const qint64 elapsed = timer.nsecsElapsed();
    sqlite3_close(db);
    if (bytes == 0)
        std::fputs("warning: the query read no text\n", stderr);
    return elapsed;
}

qint64 GatherNanoseconds(const QString& path, int& rows)
{
    TSQLiteDatabase db;
    db.SetFileName(path);
    db.Open();
    QElapsedTimer timer;
    timer.start();
    db.ExecSQL(QString::fromLatin1(kAllTransactions));
    const qint64 elapsed = timer.nsecsElapsed();
    rows = db.RowCount(0);
    db.Close();
    return elapsed;
}

// A data file of the previous layout made from the generated one: one allocation per transaction, kept in
// BudgetTransactions and linked through TransTOBudget, and the base rules into 0 as that layout had them.
void MakePreviousLayout(const QString& path)
{
    TSQLiteDatabase db;
    db.SetFileName(path);
    db.Open();
    db.ExecSQL(QStringLiteral(
        "BEGIN;"
        "DROP TABLE NewBudgetTransactions;"
        "CREATE TABLE BudgetTransactions (BudgetCatID NOT NULL, Amount NOT NULL);"
        "CREATE TABLE TransTOBudget (TransID NOT NULL, BudgetTransID NOT NULL);"
        "INSERT INTO BudgetTransactions (ROWID, BudgetCatID, Amount) SELECT t.ROWID, (SELECT min(c.ROWID) FROM "
        "BudgetCategories c WHERE c.SystemID = a.SystemID), t.Amount FROM Transactions t JOIN Accounts a "
        "ON a.ROWID = t.AccountID;"
        "INSERT INTO TransTOBudget (TransID, BudgetTransID) SELECT ROWID, ROWID FROM Transactions;"
        "UPDATE BudgetRules SET IntoBudgetCat = 0 WHERE Priority = 0;"
        "COMMIT;"
        "VACUUM"));
}

// The engine alone making the same rows: the new table and one INSERT INTO ... SELECT, committed.
qint64 EngineUpgradeNanoseconds(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    QElapsedTimer timer;
    timer.start();
    sqlite3_exec(db,
                 "BEGIN; CREATE TABLE NewBudgetTransactions (BudgetCatID INTEGER NOT NULL, Amount INTEGER NOT NULL, "
                 "TransID INTEGER NOT NULL DEFAULT 0, TransDate INTEGER NOT NULL);"
                 "INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) SELECT b.BudgetCatID, "
                 "b.Amount, t.ROWID, t.Date FROM BudgetTransactions b JOIN TransTOBudget l ON l.BudgetTransID = "
                 "b.ROWID JOIN Transactions t ON t.ROWID = l.TransID ORDER BY b.ROWID; COMMIT",
                 nullptr, nullptr, nullptr);
    const qint64 elapsed = timer.nsecsElapsed();
    sqlite3_close(db);
    return elapsed;
}

qint64 UpgradeNanoseconds(const QString& path, int& rows)
{
    TSQLiteDatabase db;
    db.SetFileName(path);
    db.Open();
    QElapsedTimer timer;
    timer.start();
    const upgrade::Result result = upgrade::UpgradeStore(db, path);
    const qint64 elapsed = timer.nsecsElapsed();
    if (!result.upgraded)
        std::fprintf(stderr, "the upgrade failed: %s\n", qPrintable(result.reason));
    QFile::remove(result.copyPath);
    rows = db.QueryValue(QStringLiteral("SELECT count(*) FROM NewBudgetTransactions")).toInt();
    db.Close();
    return elapsed;
}

// The upgrade of a file of the previous layout with one allocation per transaction.
bool UpgradeFigure(const QTemporaryDir& dir, const QString& current, int transactions, QTextStream& out)
{
    const QString old = dir.filePath(QStringLiteral("previous.db"));
    const QString work = dir.filePath(QStringLiteral("Cofferly-upgrade.db"));
    QFile::copy(current, old);
    MakePreviousLayout(old);
    qint64 engine = std::numeric_limits<qint64>::max();
    qint64 ours = std::numeric_limits<qint64>::max();
    int rows = 0;
    for (int run = 0; run < 3; ++run) {
        QFile::remove(work);
        QFile::copy(old, work);
        engine = std::min(engine, EngineUpgradeNanoseconds(work));
        QFile::remove(work);
        QFile::copy(old, work);
        ours = std::min(ours, UpgradeNanoseconds(work, rows));
    }
    if (rows != transactions) {
        std::fprintf(stderr, "expected %d allocations after the upgrade, found %d\n", transactions, rows);
        return false;
    }
    out << "upgrade: " << QString::number(double(ours) / double(engine), 'f', 2) << '\n';
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    // Screens are measured too: a widget application, on the offscreen platform unless another is set.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int transactions = 100000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == QLatin1String("--transactions"))
            transactions = args[i + 1].toInt();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Cofferly.db"));
    bench::GenerateDataFile(path, transactions);

    // The best of several runs of each, taken alternately, so that a busy moment of the machine does
    // not count against either side.
    qint64 engine = std::numeric_limits<qint64>::max();
    qint64 gather = std::numeric_limits<qint64>::max();
    int engineRows = 0, gatherRows = 0;
    for (int run = 0; run < 7; ++run) {
        engine = std::min(engine, EngineNanoseconds(path, engineRows));
        gather = std::min(gather, GatherNanoseconds(path, gatherRows));
    }
    if (engineRows != transactions || gatherRows != transactions) {
        std::fprintf(stderr, "expected %d rows, the engine gave %d and the gather %d\n", transactions, engineRows,
                     gatherRows);
        return 1;
    }
    QTextStream out(stdout);
    out << "gather: " << QString::number(double(gather) / double(engine), 'f', 2) << '\n';
    out.flush();
    if (!UpgradeFigure(dir, path, transactions, out))
        return 1;
    if (!bench::CreditFigure(path, out))
        return 1;
    if (!bench::RegisterFigures(dir.filePath(QStringLiteral("register")), transactions, out))
        return 1;
    if (!bench::BudgetItemsFigure(path, out))
        return 1;
    if (!bench::RulesFigure(path, out))
        return 1;
    if (!bench::SummariesFigures(path, out))
        return 1;
    return 0;
}
