#pragma once

#include <QString>

class QTextStream;

namespace bench {

// The account register over one account of the given number of transactions, in a data file written in
// folder: "register" (showing the account against the engine's time for the statements it runs),
// "register_sort" (a click on the Amount header against the engine's time for the sorted statement) and
// "register_mb" (the memory the listed rows take). False when the register did not list every row.
bool RegisterFigures(const QString& folder, int transactions, QTextStream& out);

} // namespace bench
