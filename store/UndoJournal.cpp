#include "store/UndoJournal.h"

#include "platform/ProgramDir.h"
#include "store/DataStore.h"
#include "store/Encodings.h"
#include "store/Schema.h"

#include <QFile>
#include <QLockFile>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

TUndoJournal::TUndoJournal(TDataStore& store) : m_store(store) {}

TUndoJournal::~TUndoJournal() = default;

void TUndoJournal::ClaimScratchFile()
{
    if (!m_path.isEmpty())
        return;
    // Several people may run Cofferly from one installation at once. Each run's journal must be its
    // own: a run that reset another's scratch file would throw away that person's undo steps, and its
    // Undo could then replay that person's changes backwards.
    const QString shared = platform::ProgramFile(QString::fromLatin1(schema::kScratchFileName));
    m_lock = std::make_unique<QLockFile>(shared + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        m_path = shared;
        return;
    }
    m_lock.reset();
    // One run per user at a time (the single-instance lock), so the user's number names the file.
#ifdef Q_OS_UNIX
    const QString user = QString::number(getuid());
#else
    QString user = qEnvironmentVariable("USERNAME");
    user.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")));
#endif
    m_path = platform::ProgramFile(QStringLiteral("scratch-%1.db").arg(user));
}

void TUndoJournal::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    if (m_enabledHandler)
        m_enabledHandler(enabled);
}

void TUndoJournal::ResetUndoJournal()
{
    if (!m_scratch)
        m_scratch = std::make_unique<TSQLiteDatabase>();
    m_scratch->Close();
    ClaimScratchFile();
    const QString path = m_path;
    try {
        if (QFile::exists(path) && !QFile::remove(path))
            throw std::runtime_error("the old scratch file cannot be removed");
        m_scratch->SetFileName(path);
        if (!OpenScratch())
            throw std::runtime_error("the scratch file cannot be created");
        schema::CreateUndoSchema(*m_scratch);
        m_scratch->Close();
    } catch (...) {
        m_scratch->Close();
        QFile::remove(path);
    }
    SetEnabled(false);
}

bool TUndoJournal::OpenScratch()
{
    m_scratch->Open();
    if (!m_scratch->IsOpen())
        return false;
    // The journal is thrown away at exit, so it need not survive a crash: skipping the syncs keeps
    // recording cheap. The data file is never opened this way.
    m_scratch->ExecSQL(QStringLiteral("PRAGMA synchronous = OFF"));
    return true;
}

qint64 TUndoJournal::MaxNumber(const char* column)
{
    const QString text =
        m_scratch->QueryValue(QStringLiteral("SELECT max(%1) FROM UndoStack").arg(QLatin1String(column)));
    return text.isEmpty() ? 0 : text.toLongLong();
}

void TUndoJournal::BeginUndoGroup()
{
    if (!m_scratch)
        ResetUndoJournal();
    try {
        if (!OpenScratch())
            return;
        m_stackNumber = MaxNumber("StackNumber") + 1;
        m_groupNumber = MaxNumber("GroupNumber") + 1;
        m_scratch->ExecSQL(QStringLiteral("BEGIN"));
    } catch (...) {
        m_scratch->ExecSQL(QStringLiteral("ROLLBACK"));
        m_scratch->Close();
    }
}

void TUndoJournal::RecordUndo(const QString& sql, const QString& notice)
{
    if (!m_scratch || !m_scratch->IsOpen())
        return;
    try {
        // The statement is kept as it is (not cleaned): it holds quoted values of its own.
        m_scratch->ExecSQL(QStringLiteral("INSERT INTO UndoStack (StackNumber, GroupNumber, SQL, Notify) "
                                          "VALUES (%1, %2, %3, %4)")
                               .arg(QString::number(m_stackNumber), QString::number(m_groupNumber), SqlText(sql),
                                    SqlText(notice)));
        ++m_stackNumber;
        SetEnabled(true);
    } catch (...) {
        m_scratch->ExecSQL(QStringLiteral("ROLLBACK"));
        m_scratch->Close();
    }
}

void TUndoJournal::EndUndoGroup()
{
    if (!m_scratch || !m_scratch->IsOpen())
        return;
    TCloseOnExit close(*m_scratch);
    m_scratch->ExecSQL(QStringLiteral("COMMIT"));
}

void TUndoJournal::RecordUndoGroup(const std::vector<TUndoRecord>& records)
{
    BeginUndoGroup();
    for (const TUndoRecord& record : records)
        RecordUndo(record.sql, record.notice);
    EndUndoGroup();
}

void TUndoJournal::UndoLastGroup()
{
    if (!m_scratch)
        return;
    TSQLiteDatabase& scratch = *m_scratch;
    if (!OpenScratch())
        return;

    QString notice;
    bool replayed = false;
    try {
        scratch.ExecSQL(QStringLiteral("SELECT SQL, Notify, GroupNumber, StackNumber FROM UndoStack WHERE "
                                       "GroupNumber = (SELECT max(GroupNumber) FROM UndoStack) "
                                       "ORDER BY StackNumber ASC"));
        const int rows = scratch.RowCount(0);
        if (rows > 0) {
            // The result table is replaced by the next statement on this object, so take the group out first.
            QStringList statements;
            statements.reserve(rows);
            for (int row = 0; row < rows; ++row)
                statements.append(scratch.Cell(0, row));
            notice = scratch.Cell(1, 0);
            const QString group = scratch.Cell(2, 0);

            // Recorded order, not reversed: a group may re-create a row and link it through
            // last_insert_rowid() in the very next statement. Half a group would leave the data neither
            // as it was nor as it had been, so a failing statement sends the whole replay back.
            replayed = m_store.Change(
                [&statements](TStoreChange& change) {
                    for (const QString& statement : statements)
                        change.Exec(statement);
                },
                QStringLiteral("The change could not be undone: "));
            // A group that could not be replayed stays, for another try once the cause is mended.
            if (replayed)
                scratch.ExecSQL(
                    QStringLiteral("DELETE FROM UndoStack WHERE GroupNumber = %1").arg(group.toLongLong()));
        }
    } catch (...) {
        // The counter below is refreshed whatever happened.
    }
    m_stackNumber = MaxNumber("StackNumber");
    if (m_stackNumber == 0)
        SetEnabled(false);
    scratch.Close();
    if (replayed && m_noticeHandler)
        m_noticeHandler(notice);
}

void TUndoJournal::Discard()
{
    if (m_scratch)
        m_scratch->Close();
    if (!m_path.isEmpty() && QFile::exists(m_path))
        QFile::remove(m_path);
    m_lock.reset();
}
