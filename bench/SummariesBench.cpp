#include "bench/SummariesBench.h"

#include "budget/AllAccountsFrame.h"
#include "budget/PartiesFrame.h"
#include "budget/SummaryGrid.h"
#include "platform/ProgramDir.h"
#include "platform/Settings.h"
#include "shell/MainWindow.h"
#include "store/Encodings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <sqlite3.h>

namespace bench {

namespace {

// The engine alone: open the file as the store does, prepare, step through every row of the queries
// fetching every column as text, close. sums receives the third column of the last sum query's rows
// added up (the current balances), total the first column of the total query when there is one.
qint64 EngineNanoseconds(const QString& path, const QStringList& statements, bool lastIsTotal, qint64& sums,
                         qint64& total)
{
    std::vector<QByteArray> utf8;
    for (const QString& statement : statements)
        utf8.push_back(statement.toUtf8());
    const size_t balances = lastIsTotal ? utf8.size() - 2 : utf8.size() - 1;
    sums = 0;
    total = 0;
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
    size_t bytes = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, utf8[i].constData(), -1, &stmt, nullptr);
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                const unsigned char* text = sqlite3_column_text(stmt, c);
                bytes += text ? static_cast<size_t>(sqlite3_column_bytes(stmt, c)) : 0;
            }
            if (i == balances)
                sums += sqlite3_column_int64(stmt, 2);
            if (lastIsTotal && i == utf8.size() - 1)
                total = sqlite3_column_int64(stmt, 0);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    const qint64 elapsed = timer.nsecsElapsed();
    if (bytes == 0)
        std::fputs("warning: the summary queries read no text\n", stderr);
    return elapsed;
}

qint64 Nanoseconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed();
}

// The current balances the grid shows, added up in hundredths.
qint64 GridBalances(const budget::TSummaryGrid& grid, int column)
{
    qint64 sum = 0;
    for (int row = 0; row < grid.DataRowCount(); ++row)
        sum += qRound64(grid.Text(row, column).toDouble() * 100);
    return sum;
}

// The best of several runs of each side, taken alternately.
template <class Refresh>
double Ratio(const QString& path, const QStringList& statements, bool lastIsTotal, qint64& sums, qint64& total,
             Refresh refresh)
{
    qint64 engine = std::numeric_limits<qint64>::max();
    qint64 ours = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 7; ++run) {
        engine = std::min(engine, EngineNanoseconds(path, statements, lastIsTotal, sums, total));
        ours = std::min(ours, Nanoseconds(refresh));
    }
    return double(ours) / double(engine);
}

// The tree's account commands are not measured; the screen only needs someone to ask.
class TNoAccountTree : public budget::IAccountTree
{
public:
    void mitmNewAccountClick() override {}
    void DeleteAccountByID(qint64) override {}
    void RenameAccountByID(qint64, const QString&) override {}
};

} // namespace

bool SummariesFigures(const QString& path, QTextStream& out)
{
    // The program's own folder and settings are the benchmark's temporary ones.
    const QString folder = QFileInfo(path).absolutePath();
    platform::SetProgramDirOverride(folder);
    platform::SetSettingsFiles(folder + QStringLiteral("/user.ini"), folder + QStringLiteral("/machine.ini"));
    bool same = true;
    {
        TfrmMain main;
        auto* parties = new TframParties(main);
        main.ExchangeScreen(parties);
        // The first look at the file identifies it once for the run, as the program's first action does.
        parties->ShowSystem(1);
        const TframParties::TQueries partyQueries =
            TframParties::Queries(1, parties->pnlDates->FromDay(), parties->pnlDates->ToDay());
        qint64 sums = 0;
        qint64 total = 0;
        const double partyRatio = Ratio(path, QStringList{partyQueries.list} + partyQueries.sums, false, sums, total,
                                        [parties] { parties->RefreshGrid(); });
        if (parties->Grid->DataRowCount() != 40 ||
            GridBalances(*parties->Grid, TframParties::kCurrentBalance) != sums) {
            std::fprintf(stderr, "the parties screen shows %d parties, their balances do not add up to %lld\n",
                         parties->Grid->DataRowCount(), static_cast<long long>(sums));
            same = false;
        } else {
            out << "parties: " << QString::number(partyRatio, 'f', 2) << '\n';
        }

        TNoAccountTree tree;
        auto* accounts = new TframAllAccounts(main, tree);
        main.ExchangeScreen(accounts);
        accounts->ShowSystem(1);
        const TframAllAccounts::TQueries accountQueries =
            TframAllAccounts::Queries(1, accounts->pnlDates->FromDay(), accounts->pnlDates->ToDay());
        const double accountRatio =
            Ratio(path, QStringList{accountQueries.list} + accountQueries.sums + QStringList{accountQueries.total},
                  true, sums, total, [accounts] {
                      accounts->RefreshGrid();
                      accounts->RefreshTotal();
                  });
        if (accounts->Grid->DataRowCount() != 4 || sums != total ||
            accounts->lblTotal->text() != StoredSumToMoneyText(QString::number(total))) {
            std::fprintf(stderr, "the accounts screen shows %d accounts and a total of %s, the engine summed %lld\n",
                         accounts->Grid->DataRowCount(), qPrintable(accounts->lblTotal->text()),
                         static_cast<long long>(total));
            same = false;
        } else {
            out << "all_accounts: " << QString::number(accountRatio, 'f', 2) << '\n';
        }
        main.ExchangeScreen(nullptr);
        QCoreApplication::sendPostedEvents();
    }
    platform::SetSettingsFiles(QString(), QString());
    platform::SetProgramDirOverride(QString());
    return same;
}

} // namespace bench
