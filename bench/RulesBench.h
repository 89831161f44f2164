#pragma once

#include <QString>

class QTextStream;

namespace bench {

// The budget rules screen filling its list of 50 rules from a copy of the generated data file, against the
// engine opening the file and running the screen's statement; prints "rules: ratio". False when the
// screen listed another number of rules.
bool RulesFigure(const QString& generated, QTextStream& out);

} // namespace bench
