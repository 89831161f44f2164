#pragma once

#include "ledger/Allocation.h"

#include <QDialog>
#include <vector>

class IMainWindow;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QToolButton;
class TRealEdit;
class TSlideTrayButton;

// The transaction wizard: the dialog, laid out like a written check, in which every credit, debit and
// transfer of an account is entered or edited. For credits and debits a tray at the right shows how the
// amount is divided among the budget items; the budget rules work that out as the person fills the form.
//
// The wizard stores no transaction. The account register creates it, sets the system and the account,
// prepares it for one mode, fills it when a stored transaction is edited, shows it, and after OK reads its
// fields and writes the transaction itself. The wizard writes only a new or revived party (on OK), a new
// or revived budget item ("Add Budget Item") and the ShowBudgetTray setting.
class TfrmCheckWizard : public QDialog
{
    Q_OBJECT
public:
    enum class Mode
    {
        Credit,
        Debit,
        Transfer,
    };

    // The reference layout, in pixels.
    static constexpr int kClientWidth = 610;
    static constexpr int kClientHeight = 193;
    static constexpr int kTrayWidth = 184;
    static constexpr int kSlideWidth = 10;

    explicit TfrmCheckWizard(IMainWindow& main, QWidget* parent = nullptr);

    void SetSystem(qint64 system) { m_system = system; }
    void SetAccount(qint64 account) { m_account = account; }

    // Prepares a credit or a debit; the tray lists deleted budget items too when a stored transaction is
    // edited.
    void PrepareEntry(bool debit, bool includeDeleted);
    void PrepareTransfer();
    void FillBudgetGrid();
    void FillPartyList();
    // Shows the dialog modally and gives its result.
    int ShowModal();
    void FormShow();

    // What the register reads after OK.
    Mode CurrentMode() const { return m_mode; }
    qint32 DayNumber() const;
    QString GrossText() const;
    void SetGrossText(const QString& text);
    // The listed party whose name the party box shows; 0 for none (a name not in the list yet).
    qint64 SelectedPartyID() const;
    qint64 FromAccountID() const;
    qint64 ToAccountID() const;
    struct TTrayEntry
    {
        qint64 rowId;
        QString amount;
    };
    std::vector<TTrayEntry> TrayRows() const;
    // Puts a stored allocation on the first tray row of its budget item (editing).
    void SetTrayAmount(qint64 rowId, const QString& amount);

    // The division of the amount (see allocation::).
    void LoadBudgetRules();
    void RerunAllocation();
    void BalanceIntoUnbudgeted();
    const allocation::TBudgetRules& Rules() const { return m_rules; }

    // Event handlers, public so that the register's tests and the dialog's own tests can drive them.
    void edPartyExit();
    // The typed party name becomes the listed party of that name in any case, when there is one.
    void MatchPartyText();
    void edAmountExit();
    void btnGrossNetClick();
    void gridGrossNetEnter();
    void gridGrossNetEditEnded();
    void gridBudgetItemsSelectCell(int row, int column);
    void gridBudgetItemsEditEnded();
    void gridBudgetItemsDblClick();
    void btnAddBudgetItemClick();
    void btnOkClick();
    void SlideTrayButton1Click();
    bool TrayShown() const;

    QWidget* Panel1;
    QLabel* lblCheckNum;
    QLineEdit* edID;
    QLabel* Label3;
    QDateEdit* DateTimePicker;
    QLabel* lblParty;
    QComboBox* edParty;
    QLabel* lblTransferFrom;
    QComboBox* cmboFrom;
    QLabel* lblTransferTo;
    QComboBox* cmboTo;
    QLabel* Label1;
    TRealEdit* edAmount;
    QToolButton* btnGrossNet;
    QTableWidget* gridGrossNet;
    QLabel* Label4;
    QPlainTextEdit* memNotes;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QWidget* Panel2;
    QTableWidget* gridBudgetItems;
    QPushButton* btnAddBudgetItem;
    TSlideTrayButton* SlideTrayButton1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool WizardEventFilter(QObject* watched, QEvent* event);
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void BuildLayout();
    void edPartyChange();
    allocation::TBudgetTray ReadTray() const;
    void WriteTray(const allocation::TBudgetTray& tray);
    void AddTrayRow(const QString& name, qint64 rowId, const QString& amount);
    void SetClientWidth(int width);
    void FillAccountLists();
    // True when the focus has gone from a widget to somewhere outside it (its own cell editor is inside).
    static bool FocusLeft(QWidget* widget);

    IMainWindow& m_main;
    qint64 m_system = 0;
    qint64 m_account = 0;
    Mode m_mode = Mode::Credit;
    bool m_includeDeleted = false;
    allocation::TBudgetRules m_rules;
    bool m_partyChanged = false;
    bool m_lastKeyBackspace = false;
    QString m_rememberedCellText = QStringLiteral("0.00");
    bool m_shown = false;
    bool m_endingGrossEdit = false;
    bool m_endingTrayEdit = false;
    bool m_closing = false;
};
