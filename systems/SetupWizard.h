#pragma once

#include "platform/ModalForm.h"

#include <QFrame>
#include <functional>

class IMainWindow;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TNewPasswordFields;
class TRealEdit;

// The wizard's row of buttons, with what they act on: the step Next runs (none once the last step has
// run) and the help topic of the page shown.
class TframSetupWizardButtons : public QFrame
{
    Q_OBJECT
public:
    explicit TframSetupWizardButtons(QWidget* parent = nullptr);

    QPushButton* btnHelp;
    QPushButton* btnFinish;
    QPushButton* btnNext;

    std::function<void()> PendingAction;
    QString HelpTopic;
};

// First page: the budget system's name and password.
class TframSetupWizardSystem : public QFrame
{
    Q_OBJECT
public:
    explicit TframSetupWizardSystem(QWidget* parent = nullptr);

    QLabel* lblText;
    QLabel* lblSysName;
    QLineEdit* edSysName;
    QCheckBox* chkNoPass;
    QLabel* lblPass;
    QLineEdit* edPass;
    QLabel* lblPassRetype;
    QLineEdit* edPassRetype;
    TNewPasswordFields* NewPassword;
};

// Second page: the first account and its opening balance; once the account exists, the closing words.
class TframSetupWizardAccount : public QFrame
{
    Q_OBJECT
public:
    explicit TframSetupWizardAccount(QWidget* parent = nullptr);

    // Hides the fields and shows the closing words in their place.
    void ShowFinalText();

    QLabel* lblText;
    QLabel* lblAccountName;
    QLineEdit* edAccountName;
    QLabel* lblAmount;
    TRealEdit* edAmount;
};

// The setup wizard offered on the very first start: it creates the first budget system, with the rows
// every system has, and its first account with an opening balance. Each step is one change of the data
// file; what a finished step wrote stays when the wizard is closed later. It runs while the store holds
// the new file open, and the tree is built from what it wrote once it has closed.
class TfrmSetupWizard : public TCentredDialog
{
    Q_OBJECT
public:
    static constexpr int kWidth = 490;
    static constexpr int kHeight = 302;
    static constexpr int kSidePanelWidth = 169;

    explicit TfrmSetupWizard(IMainWindow& main, QWidget* parent = nullptr);

    // The page shown, and the same as one of the two kinds (null when the other is shown).
    QFrame* Page() const { return m_page; }
    TframSetupWizardSystem* SystemPage() const;
    TframSetupWizardAccount* AccountPage() const;
    // The ROWIDs the steps created (0 before).
    qint64 System() const { return m_system; }
    qint64 Account() const { return m_account; }

    void btnNextClick();
    void btnFinishClick();
    void btnHelpClick();

    QLabel* imgSide;
    TframSetupWizardButtons* framSetupWizardButtons1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SystemStep();
    void AccountStep();
    void ShowPage(QFrame* page);
    void ShowHelpForFocus();

    IMainWindow& m_main;
    QFrame* m_page = nullptr;
    QWidget* m_pageArea;
    qint64 m_system = 0;
    qint64 m_unbudgeted = 0;
    qint64 m_account = 0;
};

// Shows the setup wizard modally over the owner; returns when it has closed.
void RunSetupWizard(IMainWindow& main, QWidget* owner);
