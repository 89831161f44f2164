#pragma once

#include <QString>

class TSQLiteDatabase;

namespace schema {

// The name of the data file and of the scratch file inside the program directory.
inline constexpr const char* kDataFileName = "Cofferly.db";
inline constexpr const char* kScratchFileName = "scratch.db";

// Counts the table that only the current layout has; 0 means an older layout that needs upgrading.
QString LayoutTestSql();

// Creates the eight tables and fifteen indexes of an empty data file, in one transaction.
void CreateDataSchema(TSQLiteDatabase& db);

// Creates the undo journal's table and its two indexes in an empty scratch file.
void CreateUndoSchema(TSQLiteDatabase& db);

} // namespace schema
