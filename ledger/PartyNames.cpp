#include "ledger/PartyNames.h"

#include "store/DataStore.h"
#include "store/Encodings.h"

#include <QComboBox>

namespace party_names {

void MatchPartyText(QComboBox& box)
{
    const QString text = box.currentText();
    for (int i = 0; i < box.count(); ++i) {
        if (box.itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            box.setCurrentIndex(i);
            box.setEditText(box.itemText(i));
            break;
        }
    }
}

qint64 SelectedPartyID(const QComboBox& box)
{
    const int index = box.findText(box.currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    return index < 0 ? 0 : box.itemData(index).toLongLong();
}

qint64 StoreTypedParty(TStoreChange& change, qint64 system, const QString& cleanName)
{
    // Deleted parties count: a name typed again brings its party back rather than making a second one.
    const QString found =
        change.QueryValue(QStringLiteral("SELECT ROWID FROM Parties WHERE SystemID = %1 AND Name = %2")
                              .arg(QString::number(system), SqlText(cleanName)));
    if (found.isEmpty()) {
        change.Exec(QStringLiteral("INSERT INTO Parties (SystemID, Name) VALUES (%1, %2)")
                        .arg(QString::number(system), SqlText(cleanName)));
        return change.LastInsertRowID();
    }
    const qint64 party = found.toLongLong();
    change.Exec(QStringLiteral("UPDATE Parties SET Deleted = \"f\" WHERE ROWID = %1").arg(party));
    return party;
}

} // namespace party_names
