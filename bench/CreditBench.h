#pragma once

#include <QString>
#include <QTextStream>

namespace bench {

// Entering one credit divided among ten budget items on the data file at path (the transaction, its
// allocations and its undo group), followed by the register's refresh with its default filters, against
// the engine's own time for the same statements and queries. Writes "credit: ratio"; false on a failure.
bool CreditFigure(const QString& path, QTextStream& out);

} // namespace bench
