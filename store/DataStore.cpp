#include "store/DataStore.h"

#include "platform/Messages.h"
#include "platform/ProgramDir.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

namespace {

const char kSqlite3Header[] = "SQLite format 3";
const char kSqlite2Header[] = "** This file contains an SQLite 2";

const char kFirstRunQuestion[] = "This appears to be your first time running Cofferly.\r\n"
                                 "Would you like to run the Setup Wizard to help you get started?";

// A statement of a change failed; the change goes back as a whole.
class EStatementFailed
{
public:
    explicit EStatementFailed(const QString& reason) : m_reason(reason) {}
    QString Reason() const { return m_reason.isEmpty() ? QStringLiteral("unknown error") : m_reason; }

private:
    QString m_reason;
};

} // namespace

TDataStore::TDataStore() : m_data(std::make_unique<TSQLiteDatabase>()) {}

TDataStore::~TDataStore() = default;

QString TDataStore::DataFilePath()
{
    return platform::ProgramFile(QString::fromLatin1(schema::kDataFileName));
}

TDataStore::FileState TDataStore::Inspect(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        return FileState::Missing;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return FileState::NotDatabase;
    const QByteArray head = file.read(64);
    if (head.startsWith(kSqlite2Header))
        return FileState::OldEngine;
    if (head.size() >= 16 && head.startsWith(kSqlite3Header) && head.at(15) == '\0')
        return FileState::Usable;
    return FileState::NotDatabase;
}

bool TDataStore::IsOpenableDataFile(const QString& path)
{
    if (Inspect(path) != FileState::Usable)
        return false;
    TSQLiteDatabase db;
    db.SetFileName(path);
    db.Open(true);
    if (!db.IsOpen())
        return false;
    const schema::Layout layout = schema::LayoutOf(db);
    if (layout != schema::Layout::Current && layout != schema::Layout::Previous)
        return false;
    // The tables can be listed from a file whose later pages are missing or damaged; only reading every
    // page tells, and a file that replaces someone's records must be whole.
    return db.QueryValue(QStringLiteral("PRAGMA quick_check")) == QLatin1String("ok");
}

void TDataStore::ReportFileProblem(const QString& path, FileState state)
{
    if (m_reported)
        return;
    m_reported = true;
    const QString file = QDir::toNativeSeparators(path);
    QString text;
    switch (state) {
    case FileState::OldEngine:
        text = QStringLiteral("The data file\r\n%1\r\nwas written by an older version of the database engine "
                              "(SQLite 2) and cannot be opened by this version of Cofferly.\r\n"
                              "The file has not been changed.")
                   .arg(file);
        break;
    case FileState::ReadOnly:
        text = QStringLiteral("The data file\r\n%1\r\ncan be read but not written, so no change can be saved.\r\n"
                              "Check that you may write to the file.")
                   .arg(file);
        break;
    case FileState::FolderReadOnly:
        text = QStringLiteral("The data file\r\n%1\r\nlies in a folder that you may not write to, so no change can "
                              "be saved.\r\nCheck that you may write to the folder\r\n%2")
                   .arg(file, QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
        break;
    case FileState::OldLayout:
        text = QStringLiteral("The data file\r\n%1\r\nhas the layout of an earlier version of Cofferly, which this "
                              "version cannot bring up to date.\r\nThe file has not been changed.")
                   .arg(file);
        break;
    case FileState::Missing:
        text = QStringLiteral("The data file\r\n%1\r\ncould not be created.\r\n"
                              "Check that the folder exists and that you may write to it.")
                   .arg(file);
        break;
    default:
        text = QStringLiteral("The data file\r\n%1\r\ncould not be opened: it is damaged or is not a "
                              "Cofferly data file.\r\nThe file has not been changed.")
                   .arg(file);
        break;
    }
    platform::ShowMessage(platform::MsgIcon::Error, text);
}

void TDataStore::OpenStore()
{
    TSQLiteDatabase& db = *m_data;
    if (db.IsOpen())
        return;
    const QString path = DataFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    // A file refused here must not leave the rows of its own inspection behind for the caller's query,
    // which then runs nothing and would read them as its answer.
    const auto noStaleRows = qScopeGuard([this, &db] {
        if (db.IsOpen())
            m_hadFile = true;
        else
            db.ClearResults();
    });
    // Whether this call created the file, and whether that file takes the place of one the program has
    // had open in this run (removed while it ran).
    bool created = false;
    bool replacesFile = false;
    try {
        const FileState state = Inspect(path);
        if (state != FileState::Usable)
            m_identified = false;
        // A file we cannot read is never opened read-write: the engine must not get the chance to
        // write into, or over, the only copy of someone's records.
        if (state == FileState::OldEngine || state == FileState::NotDatabase) {
            ReportFileProblem(path, state);
            return;
        }
        // A database of another program is told by its tables on a connection that cannot write: even
        // reading through a read-write one could roll back or check-point that program's own files. A
        // file found to be ours is not looked at again in this run (every action opens it).
        schema::Layout layout = m_identified ? schema::Layout::Current : schema::Layout::Unreadable;
        if (state == FileState::Usable && !m_identified) {
            TSQLiteDatabase probe;
            probe.SetFileName(path);
            probe.Open(true);
            if (probe.IsOpen())
                layout = schema::LayoutOf(probe);
            if (layout == schema::Layout::Foreign) {
                ReportFileProblem(path, FileState::NotDatabase);
                return;
            }
        }
        if (state == FileState::Missing && !platform::MayCreateFilesIn(folder)) {
            ReportFileProblem(path, FileState::Missing);
            return;
        }
        db.SetFileName(path);
        db.Open();
        if (!db.IsOpen()) {
            ReportFileProblem(path, state == FileState::Missing ? FileState::Missing : FileState::NotDatabase);
            return;
        }
        if (state == FileState::Usable) {
            // A damaged file may carry a valid header: the list of its tables is its first real read. A
            // file the read-only look could not read (the journal of a crash to roll back first) is read
            // here.
            if (layout == schema::Layout::Unreadable)
                layout = schema::LayoutOf(db);
            switch (layout) {
            case schema::Layout::Current:
                m_identified = true;
                break;
            case schema::Layout::Previous:
                if (m_upgrade && !m_upgradeFailed) {
                    if (m_upgrade(db, path))
                        return;
                    m_upgradeFailed = true;
                    db.Close();
                    return;
                }
                db.Close();
                if (!m_upgrade)
                    ReportFileProblem(path, FileState::OldLayout);
                return;
            default:
                db.Close();
                ReportFileProblem(path, FileState::NotDatabase);
                return;
            }
            // The person may look, but must know that nothing will be kept.
            if (db.IsReadOnly())
                ReportFileProblem(path, FileState::ReadOnly);
            else if (!platform::MayCreateFilesIn(folder))
                ReportFileProblem(path, FileState::FolderReadOnly);
            return;
        }
        if (!schema::CreateDataSchema(db)) {
            db.Close();
            // Only an empty file of our own making goes again; anything else stays as it was.
            if (QFileInfo(path).size() == 0)
                QFile::remove(path);
            ReportFileProblem(path, FileState::Missing);
            return;
        }
        ++m_generation;
        created = true;
        replacesFile = m_hadFile;
        m_creating = true;
        const auto creatingDone = qScopeGuard([this] { m_creating = false; });
        const platform::MsgAnswer answer = platform::ShowMessage(
            platform::MsgIcon::Information, QString::fromLatin1(kFirstRunQuestion), platform::MsgButtons::YesNo);
        if (answer == platform::MsgAnswer::Yes && m_setupWizard)
            m_setupWizard(db);
    } catch (...) {
        db.Close();
    }
    if (!created)
        return;
    // At the first start nothing has shown a file yet: what is built from now on shows this one.
    if (replacesFile && m_recreated)
        m_recreated();
    else
        ViewsRebuilt();
}

bool TDataStore::Change(const ChangeBody& body, const QString& failureText)
{
    TSQLiteDatabase& db = *m_data;
    TCloseIfOpenedHere closeAfter(db);
    const quint64 generation = m_generation;
    OpenStore();
    if (!db.IsOpen()) {
        ReportNotSaved(failureText, QStringLiteral("the data file could not be opened."));
        return false;
    }
    // The change was made for the rows of a file that has gone; in the new one the same ROWIDs may name
    // other rows (the setup wizard's, say). The setup wizard's own changes are what the new file is for.
    if (m_generation != generation || (!m_creating && m_viewGeneration != m_generation)) {
        ReportNotSaved(failureText, QStringLiteral("the data file had gone missing and has been created anew; the "
                                                   "change was meant for the file that went, so nothing was written."));
        return false;
    }
    if (!db.InAutocommit())
        throw std::logic_error("a change was started inside another one");
    // IMMEDIATE: the write lock is taken now, waiting for another person's change to end, rather than at
    // the first write, where two changes could only fail each other.
    if (db.ExecSQL(QStringLiteral("BEGIN IMMEDIATE")) != 0) {
        ReportNotSaved(failureText, db.LastError());
        return false;
    }
    // Nothing of a change that stops half-way may stay: the engine may already have ended the
    // transaction itself (a full disk does that), otherwise it is rolled back here.
    const auto rollBack = [&db] {
        if (!db.InAutocommit())
            db.ExecSQL(QStringLiteral("ROLLBACK"));
    };
    try {
        TStoreChange change(db);
        body(change);
        if (db.ExecSQL(QStringLiteral("COMMIT")) != 0)
            throw EStatementFailed(db.LastError());
    } catch (const EStatementFailed& failure) {
        rollBack();
        ReportNotSaved(failureText, failure.Reason());
        return false;
    } catch (const EChangeRefused& refusal) {
        rollBack();
        platform::ShowMessage(platform::MsgIcon::Warning, refusal.Message());
        return false;
    } catch (...) {
        rollBack();
        throw;
    }
    return true;
}

bool TDataStore::ChangeStatements(const QStringList& statements)
{
    return Change([&statements](TStoreChange& change) {
        for (const QString& statement : statements)
            change.Exec(statement);
    });
}

void TDataStore::ReportNotSaved(const QString& failureText, const QString& reason)
{
    platform::ShowMessage(platform::MsgIcon::Error, failureText + reason);
}

void TStoreChange::Exec(const QString& sql)
{
    if (m_db.ExecSQL(sql) != 0)
        throw EStatementFailed(m_db.LastError());
}

QString TStoreChange::QueryValue(const QString& sql)
{
    Exec(sql);
    return m_db.RowCount(0) > 0 ? m_db.Cell(0, 0) : QString();
}

void TStoreChange::Require(const QString& countSql, const QString& refusal)
{
    const QString count = QueryValue(countSql);
    if (count.isEmpty() || count == QLatin1String("0"))
        throw EChangeRefused(refusal);
}

void TStoreChange::RequireSystem(qint64 system)
{
    Require(QStringLiteral("SELECT count(*) FROM BudgetSystems WHERE ROWID = %1").arg(system),
            QStringLiteral("This budget system no longer exists."));
}

void TStoreChange::RequireLive(const QString& table, qint64 system, qint64 row, const QString& refusal)
{
    Require(QStringLiteral("SELECT count(*) FROM %1 WHERE ((ROWID = %2) AND (SystemID = %3) AND (Deleted = \"f\"))")
                .arg(table, QString::number(row), QString::number(system)),
            refusal);
}

void TDataStore::StoreExec(const QString& sql)
{
    TCloseIfOpenedHere close(*m_data);
    OpenStore();
    m_data->ExecSQL(sql);
}

QString TDataStore::StoreQueryValue(const QString& sql)
{
    TCloseIfOpenedHere close(*m_data);
    OpenStore();
    return m_data->QueryValue(sql);
}
