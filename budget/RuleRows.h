#pragma once

#include <QString>
#include <QStringList>

class TStoreChange;

// The stored rows of budget rules as undo records write them back. The values are read as the engine's
// own literals (quote()), so that a NULL account or party stays NULL and a text stays a text.
namespace rule_rows {

// The columns of a rule, in the order the records write them.
const QStringList& RuleColumns();

// Inside a change: the values of the rule with this ROWID, one literal per column of RuleColumns().
QStringList QuotedRule(TStoreChange& change, qint64 rule);

// Inside a change: for every rule that meets the condition (a WHERE clause's text), in ROWID order, the
// INSERT statement that brings it back as it is now.
QStringList RestoreStatements(TStoreChange& change, const QString& where);

} // namespace rule_rows
