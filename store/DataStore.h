#pragma once

#include "store/SQLiteDatabase.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>

// Raised inside a change to stop it without writing anything: a row it acts on is gone, say. The change
// is rolled back and the person is shown the message as it stands.
class EChangeRefused : public std::runtime_error
{
public:
    explicit EChangeRefused(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    QString Message() const { return m_message; }

private:
    QString m_message;
};

// The data file during one all-or-nothing change (TDataStore::Change). Every statement that the engine
// refuses stops the change, which is then rolled back as a whole.
class TStoreChange
{
public:
    explicit TStoreChange(TSQLiteDatabase& db) : m_db(db) {}

    // Runs the statement; its rows, if any, are in Db() afterwards.
    void Exec(const QString& sql);
    QString QueryValue(const QString& sql);
    qint64 LastInsertRowID() const { return m_db.LastInsertRowID(); }
    TSQLiteDatabase& Db() { return m_db; }

    // Refuses the change with the message unless the query counts at least one row. Views can be stale
    // (after an Undo, say): a change checks in the file itself that what it acts on is still there.
    void Require(const QString& countSql, const QString& refusal);
    // Refuses the change unless the budget system is still in the file.
    void RequireSystem(qint64 system);
    // Refuses the change unless the row of a system's table (BudgetCategories, Parties, Accounts) is still
    // there, in that system, and not deleted.
    void RequireLive(const QString& table, qint64 system, qint64 row, const QString& refusal);

private:
    TSQLiteDatabase& m_db;
};

// The data file as every user action sees it. The main window owns one TDataStore for the life of the
// program; screens and dialogs borrow its database object through OpenStore, StoreExec and
// StoreQueryValue and never open the data file themselves. The file is opened at the start of each action
// and closed at its end, so it is never held open while the program waits for input.
class TDataStore
{
public:
    // Runs on the open database when the person asks for the setup wizard on first start.
    using SetupWizardHook = std::function<void(TSQLiteDatabase&)>;
    // Brings a data file of the previous layout (at the path) up to date, in place, on the open database;
    // true when it did. It tells the person how it went.
    using UpgradeHook = std::function<bool(TSQLiteDatabase&, const QString& path)>;

    TDataStore();
    ~TDataStore();
    TDataStore(const TDataStore&) = delete;
    TDataStore& operator=(const TDataStore&) = delete;

    // The data-file object; it exists for the life of the store.
    TSQLiteDatabase& Data() { return *m_data; }

    // Opens Cofferly.db in the program directory, creating it (and asking the first-run question) when
    // it is missing, or upgrading it when it has the older layout. Does nothing while already open.
    // On any failure the object stays closed and the caller's statements run nothing.
    void OpenStore();
    // OpenStore, the statement, Close: the file is closed again whatever happens, unless it was already
    // open (the setup wizard runs while OpenStore holds the new file, and the tree is built on an open
    // file): what someone else holds open stays open for them.
    void StoreExec(const QString& sql);
    QString StoreQueryValue(const QString& sql);

    // Runs a change of the data file as one transaction: either every statement of it takes effect or
    // none does. On the first failing statement the change is rolled back and the person is told
    // "The change could not be saved: " with the engine's reason; a refusal (EChangeRefused) is rolled
    // back and shown as it stands. Returns true only when the change was committed, so that the caller
    // records its undo group and updates its view only then. Leaves the file closed unless it was open.
    // A change is refused, writing nothing, when the data file had to be created anew for it, or has been
    // since the program's views were last rebuilt (ViewsRebuilt): it was made for rows of the file that
    // went, and the new file may well hold other rows under the same ROWIDs.
    using ChangeBody = std::function<void(TStoreChange&)>;
    bool Change(const ChangeBody& body, const QString& failureText = QStringLiteral("The change could not be saved: "));
    // A change that is a fixed list of statements.
    bool ChangeStatements(const QStringList& statements);

    void SetSetupWizardHook(SetupWizardHook hook) { m_setupWizard = std::move(hook); }
    void SetUpgradeHook(UpgradeHook hook) { m_upgrade = std::move(hook); }

    // Told, once the OpenStore that did it has ended, that the data file went missing while the program
    // ran and has been created anew: the views and the undo journal still describe the file that went.
    // Until the owner calls ViewsRebuilt, every change is refused. Without a hook nothing shows the old
    // file, and the new one is taken at once.
    using RecreatedHook = std::function<void()>;
    void SetRecreatedHook(RecreatedHook hook) { m_recreated = std::move(hook); }
    // Grows by one each time OpenStore creates the data file.
    quint64 Generation() const { return m_generation; }
    // The views now show the file as it is; changes are taken again.
    void ViewsRebuilt() { m_viewGeneration = m_generation; }

    // Another file has taken the data file's place (a restore): its problems are told, and an upgrade it
    // needs is tried, as for a file seen for the first time.
    void ForgetFileState()
    {
        m_reported = false;
        m_upgradeFailed = false;
        m_identified = false;
    }

    // The path OpenStore uses: the program directory, taken afresh at each call.
    static QString DataFilePath();

    // True when the file at the path is a data file OpenStore would take: an SQLite 3 database holding
    // the tables of the current or the previous layout, intact throughout. The file is only read, never
    // written; a restore asks this before it lets a file take the data file's place.
    static bool IsOpenableDataFile(const QString& path);

private:
    enum class FileState
    {
        Missing,        // no file, or an empty one: the schema is created
        Usable,         // an SQLite 3 database
        OldEngine,      // written by SQLite 2
        NotDatabase,    // anything else
        ReadOnly,       // a database this user may read but not write
        FolderReadOnly, // a database in a folder this user may not write (no room for the engine's journal)
        OldLayout,      // the previous layout, and no upgrade is available
    };
    static FileState Inspect(const QString& path);
    void ReportFileProblem(const QString& path, FileState state);
    static void ReportNotSaved(const QString& failureText, const QString& reason);

    std::unique_ptr<TSQLiteDatabase> m_data;
    SetupWizardHook m_setupWizard;
    UpgradeHook m_upgrade;
    RecreatedHook m_recreated;
    quint64 m_generation = 0;
    // The generation the views were built from.
    quint64 m_viewGeneration = 0;
    // A data file has been open in this run: a file created from now on replaces one the views showed.
    bool m_hadFile = false;
    // The first-run question and the setup wizard are running on the file just created; the wizard's
    // changes are what the new file is to hold.
    bool m_creating = false;
    // The person hears about an unusable data file once per run, not at every action.
    bool m_reported = false;
    // An upgrade that failed is not tried again in this run; the file stays as it was until the next.
    bool m_upgradeFailed = false;
    // The file has been seen to hold this version's tables; it is not inspected again in this run.
    bool m_identified = false;
};
