#pragma once

#include "ui/SideDialog.h"

class IMainWindow;
class QComboBox;
class QLabel;
class QLineEdit;

// The party dialog: asks for a party's name, new or changed; with ShowMergeLists it asks instead which
// party goes into which. It only asks; the parties screen writes the change.
class TfrmNewParty : public ui::TSideDialog
{
    Q_OBJECT
public:
    explicit TfrmNewParty(QWidget* parent = nullptr);

    // The name as typed; typed keys never bring a double quote, "%" or "_" into it.
    QString Name() const;

    // Hides the name and shows the two lists of a merge instead, each holding the system's live parties
    // by name (every entry keeps its ROWID) with the first selected.
    void ShowMergeLists(IMainWindow& main, qint64 system);
    // The ROWIDs of the parties chosen for a merge, 0 for none.
    qint64 FromParty() const;
    qint64 IntoParty() const;

    QLabel* lblName;
    QLineEdit* edName;
    QLabel* lblFrom;
    QComboBox* cmboFrom;
    QLabel* lblInto;
    QComboBox* cmboInto;

private:
    void edNameChange();

    bool m_merge = false;
};
