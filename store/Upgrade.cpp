#include "store/Upgrade.h"

#include "platform/Today.h"
#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace upgrade {

namespace {

class EStepFailed : public std::runtime_error
{
public:
    explicit EStepFailed(const QString& reason) : std::runtime_error(reason.toStdString()), m_reason(reason) {}
    QString Reason() const { return m_reason; }

private:
    QString m_reason;
};

void Exec(TSQLiteDatabase& db, const QString& sql)
{
    if (db.ExecSQL(sql) != 0)
        throw EStepFailed(db.LastError());
}

// A name beside the file that does not exist yet: an earlier copy is never overwritten.
QString CopyPathFor(const QString& path)
{
    const QFileInfo info(path);
    const QDir folder = info.dir();
    QString candidate = folder.filePath(info.completeBaseName() + QStringLiteral("-v2.db"));
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = folder.filePath(QStringLiteral("%1-v2 (%2).db").arg(info.completeBaseName(), QString::number(n)));
    return candidate;
}

} // namespace

Result UpgradeStore(TSQLiteDatabase& db, const QString& path, const Progress& progress)
{
    Result result;
    const int steps = 6;
    int done = 0;
    const auto stepDone = [&] {
        if (progress)
            progress(++done, steps);
    };
    try {
        // The write lock first: nobody can change the file between the copy and the upgrade.
        Exec(db, QStringLiteral("BEGIN IMMEDIATE"));
        result.copyPath = CopyPathFor(path);
        if (!QFile::copy(path, result.copyPath)) {
            const QString copy = QDir::toNativeSeparators(result.copyPath);
            result.copyPath.clear();
            throw EStepFailed(QStringLiteral("a copy of the file could not be written as %1").arg(copy));
        }
        stepDone();

        Exec(db, schema::AllocationTableSql());
        // A rule into 0 meant "Unbudgeted"; it now names its system's item. A system without one keeps
        // the 0 rather than losing the rule.
        Exec(db, QStringLiteral("UPDATE BudgetRules SET IntoBudgetCat = (SELECT min(c.ROWID) FROM BudgetCategories c "
                                "WHERE c.Name = 'Unbudgeted' AND c.SystemID = BudgetRules.SystemID) "
                                "WHERE IntoBudgetCat = 0 AND EXISTS (SELECT 1 FROM BudgetCategories c "
                                "WHERE c.Name = 'Unbudgeted' AND c.SystemID = BudgetRules.SystemID)"));
        stepDone();

        // Which transaction each allocation belongs to. When several links name one allocation the last
        // one counts, as when they were applied one after the other; a link to a transaction that no
        // longer exists is no link, so no row names a transaction that is not there. Keyed by the
        // allocation, so that the next step finds its link at once (the old table has no usable index).
        Exec(db, QStringLiteral("CREATE TEMP TABLE UpgradeLinks (Allocation INTEGER PRIMARY KEY, TransID INTEGER, "
                                "Date INTEGER)"));
        Exec(db, QStringLiteral("INSERT OR REPLACE INTO UpgradeLinks (Allocation, TransID, Date) "
                                "SELECT l.BudgetTransID, t.ROWID, t.Date FROM TransTOBudget l "
                                "JOIN Transactions t ON t.ROWID = l.TransID ORDER BY l.ROWID"));
        // One row per old allocation, in the old order.
        Exec(db, QStringLiteral("INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) "
                                "SELECT b.BudgetCatID, b.Amount, coalesce(k.TransID, 0), coalesce(k.Date, %1) "
                                "FROM BudgetTransactions b LEFT JOIN UpgradeLinks k ON k.Allocation = b.ROWID "
                                "ORDER BY b.ROWID")
                     .arg(DateToDayNumber(platform::Today())));
        Exec(db, QStringLiteral("DROP TABLE UpgradeLinks"));
        stepDone();

        // The indexes after the rows: building them once is cheaper than keeping them up row by row.
        for (const QString& index : schema::AllocationIndexSql())
            Exec(db, index);
        stepDone();

        Exec(db, QStringLiteral("DROP TABLE BudgetTransactions"));
        Exec(db, QStringLiteral("DROP TABLE TransTOBudget"));
        stepDone();

        Exec(db, QStringLiteral("COMMIT"));
        stepDone();
        result.upgraded = true;
    } catch (const EStepFailed& failure) {
        if (!db.InAutocommit())
            db.ExecSQL(QStringLiteral("ROLLBACK"));
        db.ExecSQL(QStringLiteral("DROP TABLE IF EXISTS temp.UpgradeLinks"));
        // The file is as it was, so the copy would only be a second one of the same.
        if (!result.copyPath.isEmpty())
            QFile::remove(result.copyPath);
        result.copyPath.clear();
        result.reason = failure.Reason();
    }
    return result;
}

} // namespace upgrade
