#include "bench/RulesBench.h"

#include "budget/BudgetRulesFrame.h"
#include "platform/ProgramDir.h"
#include "platform/Settings.h"
#include "shell/MainWindow.h"
#include "store/SQLiteDatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <sqlite3.h>

namespace bench {

namespace {

constexpr int kListed = 50;
constexpr qint64 kSystem = 1;

// The generated file has a few rules per system; a household that budgets closely has more. The first
// system gets listed rules up to 50, of every kind the screen draws: fixed amounts, percentages of the
// net, the gross and of an item, for one party or one account.
void AddRules(const QString& path)
{
    TSQLiteDatabase db;
    db.SetFileName(path);
    db.Open();
    const int listed = db.QueryValue(QStringLiteral("SELECT count(*) FROM BudgetRules WHERE SystemID = %1 AND "
                                                    "Priority > 0")
                                         .arg(kSystem))
                           .toInt();
    db.ExecSQL(QStringLiteral("SELECT ROWID FROM BudgetCategories WHERE SystemID = %1 ORDER BY ROWID").arg(kSystem));
    QStringList items;
    for (int row = 0; row < db.RowCount(0); ++row)
        items << db.Cell(0, row);
    const QString party = db.QueryValue(
        QStringLiteral("SELECT min(ROWID) FROM Parties WHERE SystemID = %1 AND Deleted = 'f'").arg(kSystem));
    const QString account =
        db.QueryValue(QStringLiteral("SELECT min(ROWID) FROM Accounts WHERE SystemID = %1").arg(kSystem));
    QStringList statements{QStringLiteral("BEGIN")};
    for (int p = listed + 1; p <= kListed; ++p) {
        const QString into = items[p % (items.size() - 1) + 1];
        const QString percentOf = p % 4 == 0   ? QStringLiteral("'Gross Deposit'")
                                  : p % 4 == 1 ? items[(p + 1) % (items.size() - 1) + 1]
                                               : QStringLiteral("'Net Deposit'");
        statements << QStringLiteral("INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, "
                                     "IntoBudgetCat, AllAccounts, AccountID, Priority, AllDeposits, PartyID) VALUES "
                                     "(%1, '%2', %3, %4, %5, %6, '%7', %8, %9, '%10', %11)")
                          .arg(QString::number(kSystem), p % 3 ? QStringLiteral("t") : QStringLiteral("f"), percentOf,
                               QString::number(100 + p * 37), items[0], into,
                               p % 5 ? QStringLiteral("t") : QStringLiteral("f"),
                               p % 5 ? QStringLiteral("NULL") : account, QString::number(p))
                          .arg(p % 7 ? QStringLiteral("t") : QStringLiteral("f"),
                               p % 7 ? QStringLiteral("NULL") : party);
    }
    statements << QStringLiteral("COMMIT");
    db.ExecSQL(statements.join(QStringLiteral(";")));
    db.Close();
}

// The engine alone: open the file, prepare the screen's statement, step through every row, fetch every
// column as text, close. The screen opens the file around every action too, so the opening is part of
// the engine's work for it.
qint64 EngineNanoseconds(const QString& path)
{
    const QByteArray sql = TframBudgetRules::ListQuery(kSystem).toUtf8();
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        for (int c = 0; c < columns; ++c)
            if (sqlite3_column_text(stmt, c))
                bytes += size_t(sqlite3_column_bytes(stmt, c));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    const qint64 elapsed = timer.nsecsElapsed();
    if (bytes == 0)
        std::fputs("warning: the rules query read no text\n", stderr);
    return elapsed;
}

} // namespace

bool RulesFigure(const QString& generated, QTextStream& out)
{
    QTemporaryDir programDir;
    QTemporaryDir settingsDir;
    const QString path = programDir.filePath(QStringLiteral("Cofferly.db"));
    QFile::copy(generated, path);
    AddRules(path);
    platform::SetProgramDirOverride(programDir.path());
    platform::SetSettingsFiles(settingsDir.filePath(QStringLiteral("user.ini")),
                               settingsDir.filePath(QStringLiteral("machine.ini")));
    bool ok = true;
    {
        TfrmMain main;
        TframBudgetRules screen(main);
        screen.resize(800, 600);
        // The first look at the file identifies it, once a run; the screen's own work comes after.
        screen.ShowSystem(kSystem);
        qint64 engine = std::numeric_limits<qint64>::max();
        qint64 ours = std::numeric_limits<qint64>::max();
        for (int run = 0; run < 9; ++run) {
            engine = std::min(engine, EngineNanoseconds(path));
            QElapsedTimer timer;
            timer.start();
            screen.RefreshList();
            ours = std::min(ours, timer.nsecsElapsed());
        }
        if (screen.Rules().size() != size_t(kListed)) {
            std::fprintf(stderr, "expected %d rules on the screen, found %d\n", kListed, int(screen.Rules().size()));
            ok = false;
        } else {
            out << "rules: " << QString::number(double(ours) / double(engine), 'f', 2) << '\n';
            out.flush();
        }
    }
    platform::SetSettingsFiles(QString(), QString());
    platform::SetProgramDirOverride(QString());
    return ok;
}

} // namespace bench
