#pragma once

#include <QString>

namespace bench {

// Writes a fresh data file at path with the program's schema and the given number of transactions:
// two budget systems, several accounts each, budget items, 40 parties each and rules, transactions spread over
// ten years ending today, about one in twelve of them transfers (two linked rows), budget allocations for
// every credit and debit, 30 budget items per system and a move of money between two of them every other
// week. The same seed gives the same file.
void GenerateDataFile(const QString& path, int transactions, unsigned seed = 20261210);

// Writes a fresh data file at path holding one budget system whose account "Checking" (ROWID 1) has the
// given number of transactions, about one in twelve a half of a transfer with "Savings" (ROWID 2), over
// ten years ending today; "Empty" (ROWID 3) has none. Every filter of Checking is off. The register's
// benchmarks list it.
void GenerateAccountFile(const QString& path, int transactions, unsigned seed = 20261210);

} // namespace bench
