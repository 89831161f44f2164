#include "bench/RegisterBench.h"

#include "bench/BenchData.h"
#include "ledger/AccountRegister.h"
#include "ledger/RegisterModel.h"
#include "platform/ProgramDir.h"
#include "platform/Settings.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTableView>
#include <QTextStream>
#include <cstdio>
#include <limits>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

namespace bench {

namespace {

// The engine alone: prepare each statement, step through its rows and fetch every column as text.
qint64 EngineNanoseconds(const QString& path, const QStringList& statements, int& lastRows)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
    QElapsedTimer timer;
    timer.start();
    size_t bytes = 0;
    for (const QString& sql : statements) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
        const int columns = sqlite3_column_count(stmt);
        lastRows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                const unsigned char* text = sqlite3_column_text(stmt, c);
                bytes += text ? static_cast<size_t>(sqlite3_column_bytes(stmt, c)) : 0;
            }
            ++lastRows;
        }
        sqlite3_finalize(stmt);
    }
    const qint64 elapsed = timer.nsecsElapsed();
    sqlite3_close(db);
    if (bytes == 0)
        std::fputs("warning: the register's statements read no text\n", stderr);
    return elapsed;
}

// What the process holds in memory now, in kilobytes, after handing freed memory back.
double ResidentKilobytes()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1024.0 : 0;
}

// The register shown and laid out, ready to be painted.
void Settle()
{
    QCoreApplication::processEvents();
}

// A click on a header cell, as the mouse gives it.
void ClickHeader(TframAccount& frame, int column)
{
    QWidget* header = frame.GridHeader->viewport();
    const QPointF at(frame.GridHeader->sectionViewportPosition(column) + frame.GridHeader->sectionSize(column) / 2,
                     frame.GridHeader->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, header->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(header, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, header->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(header, &release);
}

} // namespace

bool RegisterFigures(const QString& folder, int transactions, QTextStream& out)
{
    QDir().mkpath(folder);
    platform::SetProgramDirOverride(folder);
    platform::SetSettingsFiles(QDir(folder).filePath(QStringLiteral("user.ini")),
                               QDir(folder).filePath(QStringLiteral("machine.ini")));
    const QString path = QDir(folder).filePath(QStringLiteral("Cofferly.db"));
    GenerateAccountFile(path, transactions);
    const qint64 checking = 1, empty = 3;

    TfrmMain main;
    TframAccount frame(main);
    frame.resize(800, 600);
    frame.show();

    // Memory first, before the timings have grown the heap.
    frame.ShowAccount(empty);
    Settle();
    const double before = ResidentKilobytes();
    frame.ShowAccount(checking);
    Settle();
    const double after = ResidentKilobytes();
    if (frame.Model()->ResultRows() != transactions) {
        std::fprintf(stderr, "the register listed %d of %d transactions\n", frame.Model()->ResultRows(), transactions);
        return false;
    }

    const QString account = QString::number(checking);
    const QStringList shown = {
        QStringLiteral("SELECT sum(Amount) FROM Transactions WHERE AccountID = %1").arg(account),
        QStringLiteral("SELECT sum(Amount) FROM Transactions WHERE ((AccountID = %1) AND (Passed = \"t\"))")
            .arg(account),
        frame.ListQuery()};
    qint64 engine = std::numeric_limits<qint64>::max();
    qint64 ours = std::numeric_limits<qint64>::max();
    int rows = 0;
    for (int run = 0; run < 7; ++run) {
        engine = std::min(engine, EngineNanoseconds(path, shown, rows));
        QElapsedTimer timer;
        timer.start();
        frame.ShowAccount(checking);
        Settle();
        ours = std::min(ours, timer.nsecsElapsed());
    }

    qint64 sortEngine = std::numeric_limits<qint64>::max();
    qint64 sortOurs = std::numeric_limits<qint64>::max();
    QString sorted;
    for (int run = 0; run < 7; ++run) {
        frame.ShowAccount(checking); // by date again
        Settle();
        QElapsedTimer timer;
        timer.start();
        ClickHeader(frame, TRegisterModel::ColAmount);
        Settle();
        sortOurs = std::min(sortOurs, timer.nsecsElapsed());
        if (frame.SortColumn() != TRegisterModel::ColAmount || frame.Model()->ResultRows() != transactions) {
            std::fputs("the header click did not sort the register by amount\n", stderr);
            return false;
        }
        sorted = frame.ListQuery();
        sortEngine = std::min(sortEngine, EngineNanoseconds(path, {sorted}, rows));
    }

    out << "register: " << QString::number(double(ours) / double(engine), 'f', 2) << '\n';
    out << "register_sort: " << QString::number(double(sortOurs) / double(sortEngine), 'f', 2) << '\n';
    out << "register_mb: " << QString::number((after - before) / 1024.0, 'f', 1) << '\n';
    out.flush();
    return true;
}

} // namespace bench
