#pragma once

#include "ui/SideDialog.h"

#include <optional>

class IMainWindow;
class QCheckBox;
class QComboBox;
class QLabel;
class TRealEdit;

// A budget rule as the editor's controls set it. A list without a selection has no value here: the rule
// keeps what it has stored for that column (a budget item that was deleted since, say).
struct TRuleSettings
{
    bool isPercent = true;
    // "Net Deposit", "Gross Deposit", or the ROWID of a budget item written as a number.
    std::optional<QString> percentOf;
    // The budget item named by percentOf; 0 when it names one of the deposits.
    qint64 percentOfItem = 0;
    // Hundredths of a per cent for a percentage, hundredths of money for a fixed amount.
    qint32 value = 0;
    std::optional<qint64> from;
    std::optional<qint64> into;
    bool allAccounts = true;
    std::optional<qint64> account;
    bool allDeposits = true;
    std::optional<qint64> party;
};

// The rule editor: every field of one budget rule, and a party made on the spot when a new name is typed.
// The budget rules screen opens it on a rule, reads Settings after OK and writes the rule itself; the
// editor writes only a new or revived party.
class TfrmEditBudgetRule : public ui::TSideDialog
{
    Q_OBJECT
public:
    TfrmEditBudgetRule(IMainWindow& main, qint64 system, QWidget* parent = nullptr);

    // Fills the lists with the system's live budget items, parties and accounts and sets every control
    // from the stored rule.
    void LoadRule(qint64 rule);
    // What the controls say. Raises the conversion error for an amount out of range (OK has told the person
    // already, so after OK it does not).
    TRuleSettings Settings() const;

    // Event handlers, public so that the tests can drive them.
    void chkPercentClick();
    void cbxAllDepositsClick();
    void cbxAllAccountsClick();
    void cmboDepFromExit();
    void btnOKClick();

    QLabel* lblAmount;
    TRealEdit* edAmount;
    QCheckBox* chkPercent;
    QLabel* lblPercent;
    QComboBox* cmboPercentOf;
    QLabel* lblFrom;
    QComboBox* cmboFrom;
    QLabel* lblTo;
    QComboBox* cmboTo;
    QCheckBox* cbxAllDeposits;
    QLabel* lblDepFrom;
    QComboBox* cmboDepFrom;
    QCheckBox* cbxAllAccounts;
    QLabel* lblDepTo;
    QComboBox* cmboDepTo;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyEnabling();
    void Fill(QComboBox* box, const QString& table);

    IMainWindow& m_main;
    qint64 m_system;
};
