#include "ledger/PartyNames.h"

#include "platform/Messages.h"
#include "store/DataStore.h"
#include "store/Encodings.h"
#include "ui/MainWindowInterface.h"

#include <QComboBox>

namespace party_names {

void MatchPartyText(QComboBox& box)
{
    const QString text = box.currentText();
    // Two parties may differ only in case ("Bob" and "bob"): the one typed exactly wins, and only when
    // there is none does the first that differs in case alone stand in for the text.
    int index = box.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    for (int i = 0; index < 0 && i < box.count(); ++i)
        if (box.itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            index = i;
    if (index < 0)
        return;
    box.setCurrentIndex(index);
    box.setEditText(box.itemText(index));
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

bool AcceptPartyBox(IMainWindow& main, QWidget* dialog, QComboBox& box, qint64 system)
{
    const QString text = box.currentText();
    if (text == QLatin1String("Transfer")) {
        platform::ShowMessage(platform::MsgIcon::Warning, QStringLiteral("\"Transfer\" is a reserved name."),
                              platform::MsgButtons::Ok, dialog);
        return false;
    }
    if (text.trimmed().isEmpty()) {
        platform::ShowMessage(platform::MsgIcon::Warning, QStringLiteral("You must select a party."),
                              platform::MsgButtons::Ok, dialog);
        return false;
    }
    if (SelectedPartyID(box) != 0)
        return true;
    // Stored the way the data file keeps names, and listed the same way.
    const QString name = CleanText(text);
    qint64 party = 0;
    const bool stored = main.StoreChange([&](TStoreChange& change) {
        change.RequireSystem(system);
        party = StoreTypedParty(change, system, name);
    });
    if (!stored)
        return false;
    box.addItem(name, party);
    box.setCurrentIndex(box.count() - 1);
    box.setEditText(name);
    main.NotifyUpdateParties();
    return true;
}

} // namespace party_names
