#include "store/SQLiteDatabase.h"

#include <cstring>
#include <new>
#include <sqlite3.h>

TSQLiteDatabase::~TSQLiteDatabase()
{
    Close();
    ClearResults();
}

void TSQLiteDatabase::SetFileName(const QString& path)
{
    if (!m_isOpen)
        m_fileName = path;
}

void TSQLiteDatabase::Open(bool readOnly)
{
    if (m_isOpen)
        return;
    sqlite3* handle = nullptr;
    const int rc =
        sqlite3_open_v2(m_fileName.toUtf8().constData(), &handle,
                        readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK || !handle) {
        if (handle)
            sqlite3_close(handle);
        return;
    }
    // The program's fixed fragments write flags and literals in double quotes; the engine only reads
    // them as strings with these options on, whatever its build defaults are.
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DDL, 1, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
    // Several people may run the program on one data file at once; a statement that meets another
    // one's lock waits a moment for it instead of failing at once.
    sqlite3_busy_timeout(handle, 3000);
    m_handle = handle;
    m_isOpen = true;
}

void TSQLiteDatabase::Close()
{
    if (!m_isOpen)
        return;
    if (m_handle)
        sqlite3_close(m_handle);
    m_handle = nullptr;
    m_isOpen = false;
}

int TSQLiteDatabase::RowCallback(void* self, int count, char** values, char** names)
{
    if (count <= 0)
        return 0;
    auto* db = static_cast<TSQLiteDatabase*>(self);
    try {
        if (!db->m_results) {
            db->m_results = std::make_unique<TResultTable>();
            db->m_results->m_columns.resize(count);
            for (int i = 0; i < count; ++i)
                db->m_results->m_columns[i].name = QByteArray(names && names[i] ? names[i] : "");
        }
        auto& columns = db->m_results->m_columns;
        // Entries are matched by position; a later statement of the same text with more columns
        // than the first contributes only the columns the table has.
        const int n = std::min<int>(count, static_cast<int>(columns.size()));
        for (int i = 0; i < n; ++i) {
            TResultTable::Column& column = columns[i];
            const char* value = values ? values[i] : nullptr;
            if (value)
                column.bytes.append(value, static_cast<qsizetype>(std::strlen(value)));
            column.ends.push_back(static_cast<int>(column.bytes.size()));
        }
        // A shorter row still gets a cell in every column, so that all columns keep the same length.
        for (int i = n; i < static_cast<int>(columns.size()); ++i)
            columns[i].ends.push_back(static_cast<int>(columns[i].bytes.size()));
    } catch (const std::bad_alloc&) {
        return 1;
    }
    return 0;
}

int TSQLiteDatabase::ExecSQL(const QString& sql)
{
    if (!m_isOpen || !m_handle)
        return 1;
    ClearResults();
    return sqlite3_exec(m_handle, sql.toUtf8().constData(), &TSQLiteDatabase::RowCallback, this, nullptr);
}

QString TSQLiteDatabase::QueryValue(const QString& sql)
{
    QString result;
    ExecSQL(sql);
    if (m_results && m_results->ColumnCount() > 0 && RowCount(0) > 0)
        result = Cell(0, 0);
    return result;
}

int TResultTable::RowCount(int column) const
{
    if (column < 0 || column >= ColumnCount())
        return 0;
    return static_cast<int>(m_columns[column].ends.size());
}

QByteArrayView TResultTable::CellBytes(int column, int row) const
{
    if (column < 0 || column >= ColumnCount())
        return {};
    const Column& c = m_columns[column];
    if (row < 0 || row >= static_cast<int>(c.ends.size()))
        return {};
    const int begin = row == 0 ? 0 : c.ends[row - 1];
    return QByteArrayView(c.bytes.constData() + begin, c.ends[row] - begin);
}

QString TResultTable::Cell(int column, int row) const
{
    return QString::fromUtf8(CellBytes(column, row));
}

QString TResultTable::ColumnName(int column) const
{
    if (column < 0 || column >= ColumnCount())
        return QString();
    return QString::fromUtf8(m_columns[column].name);
}

int TSQLiteDatabase::ColumnCount() const
{
    return m_results ? m_results->ColumnCount() : 0;
}

int TSQLiteDatabase::RowCount(int column) const
{
    return m_results ? m_results->RowCount(column) : 0;
}

QString TSQLiteDatabase::Cell(int column, int row) const
{
    return m_results ? m_results->Cell(column, row) : QString();
}

QString TSQLiteDatabase::ColumnName(int column) const
{
    return m_results ? m_results->ColumnName(column) : QString();
}

qint64 TSQLiteDatabase::LastInsertRowID() const
{
    return m_handle ? sqlite3_last_insert_rowid(m_handle) : 0;
}

QString TSQLiteDatabase::LastError() const
{
    return m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle)) : QString();
}

bool TSQLiteDatabase::InAutocommit() const
{
    return !m_handle || sqlite3_get_autocommit(m_handle) != 0;
}

bool TSQLiteDatabase::IsReadOnly() const
{
    return m_handle && sqlite3_db_readonly(m_handle, "main") == 1;
}

void TSQLiteDatabase::ClearResults()
{
    m_results.reset();
}

std::unique_ptr<TResultTable> TSQLiteDatabase::TakeResults()
{
    std::unique_ptr<TResultTable> taken = std::move(m_results);
    return taken ? std::move(taken) : std::make_unique<TResultTable>();
}
