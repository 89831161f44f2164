#pragma once

#include "ui/Screen.h"

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>
#include <vector>

class IMainWindow;
class QToolButton;
class TframBudgetRules;
struct TRuleSettings;

// One listed budget rule, with names in place of the ROWIDs it stores: what the list draws and what the
// printed statement reads.
struct TRuleRecord
{
    qint64 rowId = 0;
    bool isPercent = false;
    // "Net Deposit", "Gross Deposit" or the name of the budget item that is the base.
    QString percentOf;
    // A money text: 12.50 for 1250 hundredths (of a per cent, for a percentage).
    QString value;
    QString from;
    QString into;
    bool allAccounts = true;
    // The account's name when the rule is for one account, else the stored text.
    QString account;
    qint64 priority = 0;
    bool allDeposits = true;
    // The party's name when the rule is for one party, else the stored text.
    QString party;
};

// The line a rule reads as: the Into name, three blanks, the amount (with "%" and its base for a
// percentage) and where the money comes from.
QString RuleDescription(const TRuleRecord& rule);

// The rule update for the editor's settings: the columns whose list has no selection are left out, so
// that they keep what is stored.
QString RuleUpdateSql(qint64 rule, const TRuleSettings& settings);

// The rules of the list, in the order they run.
class TRulesModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void SetRules(std::vector<TRuleRecord> rules);
    const std::vector<TRuleRecord>& Rules() const { return m_rules; }

private:
    std::vector<TRuleRecord> m_rules;
};

// Draws a rule in two columns: the Into name in bold, then, aligned for every entry after the widest Into
// name, the amount and the items it moves between; every other entry shaded.
class TRulesListDelegate : public QStyledItemDelegate
{
public:
    static constexpr int kEntryHeight = 24;
    static constexpr int kMargin = 4;

    TRulesListDelegate(const TframBudgetRules& screen, QObject* parent) : QStyledItemDelegate(parent), m_screen(screen)
    {
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const TframBudgetRules& m_screen;
};

// The list takes the screen's keys: Enter, "+" and "-" as they are typed, Delete and Insert when they are
// released; a double-click edits.
class TRulesListView : public QListView
{
public:
    TRulesListView(TframBudgetRules& screen, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TframBudgetRules& m_screen;
};

// The budget rules of a system, listed in the order they divide every credit, with the commands that
// make, edit, delete and reorder them. The base rule, which puts each credit into "Unbudgeted" before any
// other runs, is never listed and never changed here.
class TframBudgetRules : public TScreenFrame
{
    Q_OBJECT
public:
    explicit TframBudgetRules(IMainWindow& main, QWidget* parent = nullptr);

    void ShowSystem(qint64 system);
    qint64 System() const { return m_system; }
    // Reads the system's rules from the data file afresh.
    void RefreshList();
    // The one statement RefreshList reads the rules and their names with.
    static QString ListQuery(qint64 system);
    // The print entry of the screen; the statement of the rules is not part of the program yet.
    void PrintView();

    // The commands, public so that the tests can run them as the buttons and keys do.
    void spdNewRuleClick();
    void RulesListDblClick();
    void spdDelRuleClick();
    void spdRuleUpClick();
    void spdRuleDownClick();
    void spdPrintClick();

    const std::vector<TRuleRecord>& Rules() const { return m_model->Rules(); }
    // The width of the widest Into name in the list's bold font: where the second column starts.
    int WidestInto() const { return m_widestInto; }
    // The selected entry, -1 for none.
    int SelectedIndex() const;
    void SelectIndex(int index);

    TRulesListView* RulesList;
    QToolButton* spdNewRule;
    QToolButton* spdEditRule;
    QToolButton* spdDelRule;
    QToolButton* spdRuleUp;
    QToolButton* spdRuleDown;
    QToolButton* spdPrint;

private:
    // Writes the editor's rule; true when it was stored. With restore, also gives the statement that puts
    // the rule back as it was stored before.
    bool StoreRule(qint64 rule, const TRuleSettings& settings, QString* restore);
    // A new rule that the editor did not keep goes again, unrecorded.
    void RemoveNewRule(qint64 rule);
    // Swaps the selected rule with its neighbour before (up) or after it.
    void MoveRule(bool up);
    qint64 SelectedRule() const;

    IMainWindow& m_main;
    qint64 m_system = 0;
    TRulesModel* m_model;
    int m_widestInto = 0;
};
