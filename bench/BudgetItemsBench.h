#pragma once

#include <QString>

class QTextStream;

namespace bench {

// The budget items screen's refresh (its grid and its total) on the data file at path, which must be
// named Cofferly.db, against the engine's time for the same seven queries. Writes "budget_items: ratio";
// false when the screen showed other figures than the engine summed.
bool BudgetItemsFigure(const QString& path, QTextStream& out);

} // namespace bench
