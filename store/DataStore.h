#pragma once

#include "store/SQLiteDatabase.h"

#include <QString>
#include <functional>
#include <memory>

// The data file as every user action sees it. The main window owns one TDataStore for the life of the
// program; screens and dialogs borrow its database object through OpenStore, StoreExec and
// StoreQueryValue and never open the data file themselves. The file is opened at the start of each action
// and closed at its end, so it is never held open while the program waits for input.
class TDataStore
{
public:
    // Runs on the open database when the person asks for the setup wizard on first start.
    using SetupWizardHook = std::function<void(TSQLiteDatabase&)>;
    // Brings a data file of the older layout up to date, in place, on the open database.
    using UpgradeHook = std::function<void(TSQLiteDatabase&)>;

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
    // OpenStore, the statement, Close: the file is closed again whatever happens.
    void StoreExec(const QString& sql);
    QString StoreQueryValue(const QString& sql);

    void SetSetupWizardHook(SetupWizardHook hook) { m_setupWizard = std::move(hook); }
    void SetUpgradeHook(UpgradeHook hook) { m_upgrade = std::move(hook); }

    // The path OpenStore uses: the program directory, taken afresh at each call.
    static QString DataFilePath();

private:
    enum class FileState
    {
        Missing,     // no file, or an empty one: the schema is created
        Usable,      // an SQLite 3 database
        OldEngine,   // written by SQLite 2
        NotDatabase, // anything else
        ReadOnly,    // a database this user may read but not write
    };
    static FileState Inspect(const QString& path);
    void ReportFileProblem(const QString& path, FileState state);

    std::unique_ptr<TSQLiteDatabase> m_data;
    SetupWizardHook m_setupWizard;
    UpgradeHook m_upgrade;
    // The person hears about an unusable data file once per run, not at every action.
    bool m_reported = false;
};
