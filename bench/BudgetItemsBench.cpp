#include "bench/BudgetItemsBench.h"

#include "budget/BudgetItemsFrame.h"
#include "budget/SummaryGrid.h"
#include "platform/ModalForm.h"
#include "platform/ProgramDir.h"
#include "platform/Settings.h"
#include "platform/Today.h"
#include "shell/MainWindow.h"
#include "store/Encodings.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <sqlite3.h>

namespace bench {

namespace {

// The engine alone: open the file as the store does, prepare, step through every row of the seven
// queries fetching every column as text, close.
qint64 EngineNanoseconds(const QString& path, const TframBudgetItems::TQueries& queries, qint64& total)
{
    QStringList statements = {queries.list};
    statements += queries.sums;
    statements.append(queries.total);
    const std::vector<QByteArray> utf8 = [&] {
        std::vector<QByteArray> texts;
        for (const QString& statement : statements)
            texts.push_back(statement.toUtf8());
        return texts;
    }();
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
    size_t bytes = 0;
    for (const QByteArray& sql : utf8) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                const unsigned char* text = sqlite3_column_text(stmt, c);
                bytes += text ? static_cast<size_t>(sqlite3_column_bytes(stmt, c)) : 0;
            }
            if (&sql == &utf8.back())
                total = sqlite3_column_int64(stmt, 0);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    const qint64 elapsed = timer.nsecsElapsed();
    if (bytes == 0)
        std::fputs("warning: the budget items queries read no text\n", stderr);
    return elapsed;
}

qint64 RefreshNanoseconds(TframBudgetItems& screen)
{
    QElapsedTimer timer;
    timer.start();
    screen.RefreshGrid();
    return timer.nsecsElapsed();
}

} // namespace

bool BudgetItemsFigure(const QString& path, QTextStream& out)
{
    // The program's own folder and settings are the benchmark's temporary ones.
    const QString folder = QFileInfo(path).absolutePath();
    platform::SetProgramDirOverride(folder);
    platform::SetSettingsFiles(folder + QStringLiteral("/user.ini"), folder + QStringLiteral("/machine.ini"));
    bool same = false;
    {
        TfrmMain main;
        auto* screen = new TframBudgetItems(main);
        main.ExchangeScreen(screen);
        // The first look at the file identifies it once for the run, as the program's first action does.
        screen->ShowSystem(1);
        const TframBudgetItems::TQueries queries =
            TframBudgetItems::Queries(1, screen->pnlDates->FromDay(), screen->pnlDates->ToDay());

        qint64 engine = std::numeric_limits<qint64>::max();
        qint64 ours = std::numeric_limits<qint64>::max();
        qint64 total = 0;
        for (int run = 0; run < 7; ++run) {
            engine = std::min(engine, EngineNanoseconds(path, queries, total));
            ours = std::min(ours, RefreshNanoseconds(*screen));
        }
        same = screen->Grid->DataRowCount() == 30 &&
               screen->lblTotal->text() == StoredSumToMoneyText(QString::number(total));
        if (!same)
            std::fprintf(stderr, "the screen shows %d items and a total of %s, the engine summed %lld\n",
                         screen->Grid->DataRowCount(), qPrintable(screen->lblTotal->text()),
                         static_cast<long long>(total));
        else
            out << "budget_items: " << QString::number(double(ours) / double(engine), 'f', 2) << '\n';
    }
    platform::SetSettingsFiles(QString(), QString());
    platform::SetProgramDirOverride(QString());
    return same;
}

} // namespace bench
