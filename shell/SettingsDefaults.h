#pragma once

#include <QString>

// The program's settings keys.
namespace settings_keys {
inline const QString kMachine = QStringLiteral("\\Software\\Hollowmere\\Cofferly");
inline const QString kDisplay = QStringLiteral("\\Software\\Hollowmere\\Cofferly\\Display");
inline const QString kSearch = QStringLiteral("\\Software\\Hollowmere\\Cofferly\\Search");
} // namespace settings_keys

// Writes every missing value of the Display and Search keys with its default, creating the keys when
// needed; values already there are left alone. False when a key cannot be opened or created.
bool WriteMissingDefaults();

// The default of a Display value that is an integer or a boolean (booleans as 0 or 1); 0 for any other.
int DisplayDefault(const QString& name);

// The remembered column widths, in the order the screens use them.
inline constexpr const char* kRememberedWidths[12] = {
    "PassedColWidth",        "IDColWidth",            "DateColWidth",          "AmountColWidth",
    "PartyColWidth",         "BudgetColWidth",        "BudgetAmountColWidth1", "BudgetAmountColWidth2",
    "BudgetAmountColWidth3", "BudgetAmountColWidth4", "BudgetAmountColWidth",  "NotesColWidth",
};
