#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>
#include <vector>

struct sqlite3;

// The rows of one query as texts, column by column: each column keeps the texts of all its rows as UTF-8,
// end to end, with the end offset of each. Gathering a large result is then a matter of appending bytes,
// and a text is only decoded when a caller reads its cell. A view that lists a result keeps the table
// itself (TSQLiteDatabase::TakeResults) instead of copying its cells.
class TResultTable
{
public:
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    int RowCount(int column = 0) const;
    QString Cell(int column, int row) const;
    // The cell's bytes as the engine gave them, without decoding (valid while the table lives).
    QByteArrayView CellBytes(int column, int row) const;
    QString ColumnName(int column) const;

private:
    friend class TSQLiteDatabase;
    struct Column
    {
        QByteArray name;
        QByteArray bytes;
        std::vector<int> ends;
    };
    std::vector<Column> m_columns;
};

// One SQLite database file. Every result arrives as a table of texts (NULL reads as the empty text),
// gathered in full inside ExecSQL, so that no statement holds the engine's file lock afterwards.
class TSQLiteDatabase
{
public:
    TSQLiteDatabase() = default;
    ~TSQLiteDatabase();
    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    bool IsOpen() const { return m_isOpen; }
    QString FileName() const { return m_fileName; }
    // Takes the new path only while the object is closed.
    void SetFileName(const QString& path);

    // readOnly: the engine may neither create nor change the file (to look at a file that may not be ours).
    void Open(bool readOnly = false);
    void Close();

    // Runs one or more statements; returns the engine's result code (1 when the object is closed).
    int ExecSQL(const QString& sql);
    // Column 0 of row 0 of the result, or the empty text.
    QString QueryValue(const QString& sql);

    int RowCount(int column = 0) const;
    int ColumnCount() const;
    QString Cell(int column, int row) const;
    QString ColumnName(int column) const;
    qint64 LastInsertRowID() const;
    // The engine's reason for the last failure on this connection (empty while closed).
    QString LastError() const;
    // True outside a transaction: BEGIN has not been run, or it has ended (also by the engine itself).
    bool InAutocommit() const;
    // True when the engine could open the file for reading only (it may not be written by this user).
    bool IsReadOnly() const;
    void ClearResults();
    // Hands the last result over to the caller, who may keep it as long as it likes; the object is left
    // without a result. Never null: a statement without rows gives an empty table.
    std::unique_ptr<TResultTable> TakeResults();

private:
    static int RowCallback(void* self, int count, char** values, char** names);

    bool m_isOpen = false;
    sqlite3* m_handle = nullptr;
    QString m_fileName;
    std::unique_ptr<TResultTable> m_results;
};

// Closes a database object when the operation that opened it leaves its scope, also on an error: every
// operation closes the file again when it ends.
class TCloseOnExit
{
public:
    explicit TCloseOnExit(TSQLiteDatabase& db) : m_db(db) {}
    ~TCloseOnExit() { m_db.Close(); }
    TCloseOnExit(const TCloseOnExit&) = delete;
    TCloseOnExit& operator=(const TCloseOnExit&) = delete;

private:
    TSQLiteDatabase& m_db;
};

// Closes the database object at the end of the scope only when it was closed at its start: an operation
// that finds the file open runs inside someone else's (the setup wizard inside OpenStore, a plug-in told
// of a change while the tree is being built), and closing it would leave that one without its file.
class TCloseIfOpenedHere
{
public:
    explicit TCloseIfOpenedHere(TSQLiteDatabase& db) : m_db(db), m_wasOpen(db.IsOpen()) {}
    ~TCloseIfOpenedHere()
    {
        if (!m_wasOpen)
            m_db.Close();
    }
    TCloseIfOpenedHere(const TCloseIfOpenedHere&) = delete;
    TCloseIfOpenedHere& operator=(const TCloseIfOpenedHere&) = delete;

private:
    TSQLiteDatabase& m_db;
    const bool m_wasOpen;
};
