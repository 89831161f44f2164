#pragma once

#include "ledger/Allocation.h"

#include <QDialog>

class QLabel;
class QPushButton;

// Asks, while the budget rules run, whether a rule may take a budget item below zero.
class TfrmNegativeBudgetWarning : public QDialog
{
    Q_OBJECT
public:
    // The dialog's results, one per button. Closing the window without a button rejects it, which counts
    // as Skip: the rule then changes nothing.
    static constexpr int kContinue = QDialog::Accepted;
    static constexpr int kSkip = 2;
    static constexpr int kStop = 3;

    explicit TfrmNegativeBudgetWarning(QWidget* parent = nullptr);

    // "Moving {amount} from {source} to {target}".
    void SetMove(const QString& amount, const QString& source, const QString& target);

    static allocation::TWarningAnswer AnswerOf(int result);
    // Shows a fresh warning for one move and gives the answer.
    static allocation::TWarningAnswer Ask(const QString& amount, const QString& source, const QString& target,
                                          QWidget* parent);

    QLabel* lblBudgetItem;
    QPushButton* btnContinue;
    QPushButton* btnSkip;
    QPushButton* btnStop;

protected:
    void showEvent(QShowEvent* event) override;
};
