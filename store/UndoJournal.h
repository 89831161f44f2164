#pragma once

#include "store/SQLiteDatabase.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QLockFile;
class TDataStore;

// One reversing statement of an undo group, with its change notice.
struct TUndoRecord
{
    QString sql;
    QString notice;
};

// The undo journal: every change to the data file records, next to the change, the statements that
// reverse it, in the scratch file scratch.db. Undo replays the newest group on the data file and forgets
// it. The journal lives only while the program runs.
class TUndoJournal
{
public:
    // Told when the Undo command becomes available or unavailable.
    using EnabledHandler = std::function<void(bool enabled)>;
    // Told, after a replay, the change notice of the group's first record.
    using NoticeHandler = std::function<void(const QString& notice)>;

    explicit TUndoJournal(TDataStore& store);
    ~TUndoJournal();
    TUndoJournal(const TUndoJournal&) = delete;
    TUndoJournal& operator=(const TUndoJournal&) = delete;

    void SetEnabledHandler(EnabledHandler handler) { m_enabledHandler = std::move(handler); }
    void SetNoticeHandler(NoticeHandler handler) { m_noticeHandler = std::move(handler); }

    // Empties the journal by creating the scratch file afresh.
    void ResetUndoJournal();
    // Opens the scratch file and starts a group; it stays open until EndUndoGroup.
    void BeginUndoGroup();
    // Appends one reversing statement to the open group; outside a group nothing is recorded.
    void RecordUndo(const QString& sql, const QString& notice);
    void EndUndoGroup();
    // Begin, one record each, End: the group of a change that has just been committed.
    void RecordUndoGroup(const std::vector<TUndoRecord>& records);
    // Replays the newest group on the data file, in recorded order, as one all-or-nothing change, and
    // forgets it. A group that cannot be replayed in full changes nothing and stays in the journal.
    void UndoLastGroup();

    // Closes the scratch file and deletes it; the program is ending.
    void Discard();

    bool UndoEnabled() const { return m_enabled; }
    // The scratch file of this run: scratch.db in the program directory, or, while another person's
    // running Cofferly holds that one, a file of this user's own beside it.
    QString ScratchFilePath() const { return m_path; }

private:
    void SetEnabled(bool enabled);
    // Opens the scratch file for one operation; false when it cannot be opened.
    bool OpenScratch();
    qint64 MaxNumber(const char* column);

    // Chooses the scratch file at the first reset and holds its lock until the run ends.
    void ClaimScratchFile();

    TDataStore& m_store;
    std::unique_ptr<TSQLiteDatabase> m_scratch;
    std::unique_ptr<QLockFile> m_lock;
    QString m_path;
    qint64 m_stackNumber = 0;
    qint64 m_groupNumber = 0;
    bool m_enabled = false;
    EnabledHandler m_enabledHandler;
    NoticeHandler m_noticeHandler;
};
