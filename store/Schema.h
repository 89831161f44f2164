#pragma once

#include <QString>
#include <QStringList>

class TSQLiteDatabase;

namespace schema {

// The name of the data file and of the scratch file inside the program directory.
inline constexpr const char* kDataFileName = "Cofferly.db";
inline constexpr const char* kScratchFileName = "scratch.db";

// Which program and version wrote a database, told by its tables.
enum class Layout
{
    Current,  // every table of this version
    Previous, // the tables of the previous version (allocations in BudgetTransactions and TransTOBudget)
    Foreign,  // anything else: not a data file of this program
    Unreadable, // the engine could not list the tables: a damaged file
};

// Reads the table names of the open database. A file is only taken for ours when it holds all the
// tables of one of our layouts; a database of some other program is never written into.
Layout LayoutOf(TSQLiteDatabase& db);

// The budget allocations' table and its four indexes: what a file of the previous layout lacks.
QString AllocationTableSql();
QStringList AllocationIndexSql();

// Creates the eight tables and fifteen indexes of an empty data file, in one transaction; false, with
// nothing created, when the engine refused a statement.
bool CreateDataSchema(TSQLiteDatabase& db);

// Creates the undo journal's table and its two indexes in an empty scratch file.
void CreateUndoSchema(TSQLiteDatabase& db);

} // namespace schema
