#pragma once

#include "ui/Screen.h"

#include <QString>
#include <array>
#include <functional>

class IMainWindow;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStatusBar;
class QTableView;
class QToolButton;
class TRegisterHeader;
class TRegisterModel;

// The account register: the screen of one account, a check-book ledger. A toolbar of commands, the
// statement balance (the passed transactions) and the balance (all of them), a row of filters standing
// over the list's columns, the list of the account's transactions and a status bar naming the account.
//
// The same frame serves the search and import dialogs as their list of results. They call ShowResults
// instead of ShowAccount and give it a condition provider of their own; the register then hides its entry
// commands, its filters and its balances.
class TframAccount : public TScreenFrame
{
    Q_OBJECT
public:
    enum class Mode
    {
        Account,       // the screen of an account in the tree
        SearchResults, // the list of a search
        Imported,      // the list of an import's new transactions
    };

    // Gives the text placed inside the list query's WHERE clause: empty, or conditions that each begin with
    // " AND ". The register asks it at every listing.
    using ConditionProvider = std::function<QString(const TframAccount&)>;

    // The widths the list has when it serves as a list of results.
    static constexpr std::array<int, 6> kFormWidths{46, 50, 68, 69, 83, 70};
    // Pixels of the line between two cells; each column is that much wider than its remembered width.
    static constexpr int kGridLineWidth = 1;
    static constexpr int kRowHeight = 18;

    explicit TframAccount(IMainWindow& main, QWidget* parent = nullptr);
    ~TframAccount() override;

    // The account view of an account: its filters, balances and list as stored.
    void ShowAccount(qint64 account);
    // The list of results for an account, after the owner has installed its condition provider.
    void ShowResults(qint64 account);
    // The results are an import's (set right after ShowResults).
    void MarkImported() { m_mode = Mode::Imported; }
    void SetConditionProvider(ConditionProvider provider);
    // The account view's own conditions: its filters as they stand.
    QString AccountConditions() const;

    // Runs the list query again and shows its rows; the current transaction stays current when it is
    // still listed.
    void RefreshList();
    // The statement RefreshList runs: the account's rows that the condition provider admits, in the order
    // of the sort column.
    QString ListQuery() const;
    // Recomputes both balances.
    void RefreshBalances();
    // Sorts by a column: the current sort column reverses its direction, another becomes the sort column
    // in descending order.
    void SortGridOn(int column);

    Mode CurrentMode() const { return m_mode; }
    bool Loaded() const { return m_loaded; }
    qint64 Account() const { return m_account; }
    qint64 System() const { return m_system; }
    int SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_descending; }
    // The ROWID of the current row's transaction; 0 for none (also the blank row).
    qint64 CurrentTransaction() const;
    // The account's name, as the status bar shows it; the tree calls this when the account is renamed.
    void SetAccountName(const QString& name);
    QString StatusText() const;
    TRegisterModel* Model() const { return m_model; }

    // Event handlers, public so that the owner and the tests can drive them.
    void spdDepositClick();
    void spdCheckClick();
    void spdTransferClick();
    void spdEditClick();
    void spdDeleteClick();
    void chkPassedClick();
    void edIDExit();
    void edNotesExit();
    void cmboDateChange();
    void cmboAmountChange();
    void cmboPartyChange();
    // The mouse released over the list at a position of the header or of the list's viewport.
    void GridMouseUp(bool inHeader, const QPoint& position);
    // Space on the current row.
    void GridKeyPress();
    void GridTopLeftChanged();
    // Toggles the passed mark of a row in the data file; a click records an undo group and refreshes, Space
    // only changes the mark on screen.
    void TogglePassed(int row, bool byClick);

    QWidget* ToolBar = nullptr;
    QToolButton* spdDeposit = nullptr;
    QToolButton* spdCheck = nullptr;
    QToolButton* spdTransfer = nullptr;
    QToolButton* spdEdit = nullptr;
    QToolButton* spdDelete = nullptr;
    QWidget* Divider = nullptr;
    QToolButton* spdImport = nullptr;
    QToolButton* spdSearch = nullptr;
    QWidget* Separator = nullptr;
    QToolButton* spdPrint = nullptr;
    QWidget* pnlBalance = nullptr;
    QLabel* lblPassBal = nullptr;
    QWidget* pnlCofferlyBalance = nullptr;
    QLabel* lblBalance = nullptr;
    QWidget* pnlFilter = nullptr;
    QWidget* pnlPassed = nullptr;
    QCheckBox* chkPassed = nullptr;
    QWidget* pnlID = nullptr;
    QLineEdit* edID = nullptr;
    QWidget* pnlDate = nullptr;
    QComboBox* cmboDate = nullptr;
    QWidget* pnlAmount = nullptr;
    QComboBox* cmboAmount = nullptr;
    QWidget* pnlParty = nullptr;
    QComboBox* cmboParty = nullptr;
    QWidget* pnlNotes = nullptr;
    QLineEdit* edNotes = nullptr;
    QTableView* Grid = nullptr;
    TRegisterHeader* GridHeader = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* lblStatus = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildLayout();
    QWidget* FilterPanel(const char* name);
    void SetEntryCommandsVisible(bool visible);
    // ShowAccount and ShowResults from the system's ROWID on.
    void Load();
    void LoadViewSettings();
    void FillPartyFilter();
    // The list's column widths; each filter panel follows its column.
    void ApplyWidths(const std::array<int, 6>& widths);
    void PlaceFilterPanels();
    // Stores one filter of the account (the statement's SET part) and lists again.
    void StoreFilter(const QString& assignments);
    void SetBalanceText(QLabel* label, const QString& sum);
    // Runs an entry or change command, which shows dialogs, and refreshes when it changed the data file.
    void RunChange(const std::function<bool()>& change);
    bool EventFilterBody(QObject* watched, QEvent* event);

    IMainWindow& m_main;
    TRegisterModel* m_model = nullptr;
    ConditionProvider m_conditions;
    Mode m_mode = Mode::Account;
    bool m_loaded = false;
    qint64 m_account = 0;
    qint64 m_system = 0;
    int m_sortColumn = 2;
    bool m_descending = true;
    bool m_showPassed = true;
    bool m_showCredits = true;
    bool m_showDebits = true;
    bool m_showTransfers = true;
    int m_age = 0;
    QString m_notesText;
    QString m_idText;
    QString m_notesPattern;
    QString m_idPattern;
    qint64 m_showParty = 0;
    // The widths the columns were last given. A drag of a column border in account view is told from a
    // click by the main window's remembered widths; in the other modes, by these.
    std::array<int, 6> m_widths = kFormWidths;
    int m_firstVisibleColumn = 0;
};
