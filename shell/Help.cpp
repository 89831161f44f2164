#include "shell/Help.h"

#include "ui/Screen.h"

namespace help {

QString ScreenHelpTopic(const TScreenFrame* screen)
{
    if (!screen)
        return QStringLiteral("Overview.htm");
    switch (screen->Kind()) {
    case ScreenKind::Account:
        return QStringLiteral("AccountTransactionsScreen.htm");
    case ScreenKind::BudgetItems:
        return QStringLiteral("BudgetItemsScreen.htm");
    case ScreenKind::BudgetRules:
        return QStringLiteral("BudgetRulesScreen.htm");
    case ScreenKind::Parties:
        return QStringLiteral("PartiesScreen.htm");
    case ScreenKind::AllAccounts:
        return QStringLiteral("AccountsScreen.htm");
    case ScreenKind::System:
        break;
    }
    return QStringLiteral("Overview.htm");
}

} // namespace help
