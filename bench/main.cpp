// Benchmarks of Cofferly, each reported as a ratio against the database engine's own time for the same
// work, so that the figures mean the same on a slow machine and a fast one. One line per figure:
// "name: value".
#include "bench/BenchData.h"
#include "store/SQLiteDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
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
    return 0;
}
