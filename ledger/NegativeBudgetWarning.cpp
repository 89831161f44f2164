#include "ledger/NegativeBudgetWarning.h"

#include "platform/ModalForm.h"
#include "ui/SideDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TfrmNegativeBudgetWarning::TfrmNegativeBudgetWarning(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNegativeBudgetWarning"));
    setWindowTitle(QStringLiteral("Negative budget category"));
    setFixedSize(316, 183);

    auto* above = new QLabel(
        QStringLiteral("The currently executing budget rule will cause a Budget Item to get a negative value."), this);
    above->setWordWrap(true);
    lblBudgetItem = new QLabel(this);
    lblBudgetItem->setObjectName(QStringLiteral("lblBudgetItem"));
    lblBudgetItem->setWordWrap(true);
    auto* below = new QLabel(
        QStringLiteral("Do you wish to continue, skip this budget rule, or stop running the budget rules?"), this);
    below->setWordWrap(true);

    btnContinue = new QPushButton(QStringLiteral("Continue"), this);
    btnContinue->setObjectName(QStringLiteral("btnContinue"));
    btnSkip = new QPushButton(QStringLiteral("Skip"), this);
    btnSkip->setObjectName(QStringLiteral("btnSkip"));
    btnStop = new QPushButton(QStringLiteral("Stop"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    // Enter stops the rules: the safe answer when the person did not read the question.
    btnStop->setDefault(true);
    btnStop->setFocus();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(above);
    layout->addWidget(lblBudgetItem);
    layout->addWidget(below);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnContinue);
    buttons->addWidget(btnSkip);
    buttons->addWidget(btnStop);
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(btnContinue, &QPushButton::clicked, this, [this] { done(kContinue); });
    connect(btnSkip, &QPushButton::clicked, this, [this] { done(kSkip); });
    connect(btnStop, &QPushButton::clicked, this, [this] { done(kStop); });
}

void TfrmNegativeBudgetWarning::SetMove(const QString& amount, const QString& source, const QString& target)
{
    lblBudgetItem->setText(QStringLiteral("Moving ") + amount + QStringLiteral(" from ") + source +
                           QStringLiteral(" to ") + target);
}

allocation::TWarningAnswer TfrmNegativeBudgetWarning::AnswerOf(int result)
{
    switch (result) {
    case kContinue:
        return allocation::TWarningAnswer::Continue;
    case kStop:
        return allocation::TWarningAnswer::Stop;
    default:
        return allocation::TWarningAnswer::Skip;
    }
}

allocation::TWarningAnswer TfrmNegativeBudgetWarning::Ask(const QString& amount, const QString& source,
                                                          const QString& target, QWidget* parent)
{
    TfrmNegativeBudgetWarning warning(parent);
    warning.SetMove(amount, source, target);
    return AnswerOf(platform::ExecModal(warning));
}

void TfrmNegativeBudgetWarning::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        platform::CentreOnDesktop(*this);
    QDialog::showEvent(event);
}
