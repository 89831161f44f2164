#pragma once

#include <QString>

class QTextStream;

namespace bench {

// The parties screen's refresh and the all-accounts screen's refresh with its total, on the data file at
// path (named Cofferly.db), each against the engine's time for the same queries: five for the parties,
// six for the accounts. Writes "parties: ratio" and "all_accounts: ratio"; false when a screen showed
// other figures than the engine summed.
bool SummariesFigures(const QString& path, QTextStream& out);

} // namespace bench
