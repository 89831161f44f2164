#pragma once

#include <QString>

class IMainWindow;
class QComboBox;
class QWidget;
class TStoreChange;

// A party box takes a listed party or a typed name. The transaction wizard and the rule editor share how a
// typed name is matched with the list and how a new name becomes a party.
namespace party_names {

// The typed text becomes the listed party of that name in any letter case, when there is one: that entry
// is selected and shows its text exactly as listed.
void MatchPartyText(QComboBox& box);

// The ROWID of the listed party whose name the box shows exactly; 0 for none (a name not in the list).
qint64 SelectedPartyID(const QComboBox& box);

// Inside a change: the party of this system named exactly cleanName, revived when it was deleted, or a
// new party of that name. Gives its ROWID.
qint64 StoreTypedParty(TStoreChange& change, qint64 system, const QString& cleanName);

// What OK does with a party box: a name that is not listed becomes a party of the system (made or
// revived), is listed and selected, and the plug-ins are told; the reserved name "Transfer" and an empty
// box are refused with their messages over dialog. Gives whether the dialog may close.
bool AcceptPartyBox(IMainWindow& main, QWidget* dialog, QComboBox& box, qint64 system);

} // namespace party_names
