#include "shell/SettingsDefaults.h"

#include "platform/Settings.h"
#include "platform/Today.h"

#include <QVariant>

namespace {

enum class Kind
{
    Integer,
    Boolean,
    Text,
    Date,
};

struct Default
{
    const char* name;
    Kind kind;
    int value;         // integers and booleans; for dates, days before today
    const char* text;  // texts
};

// One table of every default, key by key. ShowTip has no default: its absence means "first start".
const Default kDisplayDefaults[] = {
    {"AmountColWidth", Kind::Integer, 100, nullptr},
    {"ArchWidth", Kind::Integer, 200, nullptr},
    {"BudgetAmountColWidth", Kind::Integer, 100, nullptr},
    {"BudgetAmountColWidth1", Kind::Integer, 100, nullptr},
    {"BudgetAmountColWidth2", Kind::Integer, 100, nullptr},
    {"BudgetAmountColWidth3", Kind::Integer, 100, nullptr},
    {"BudgetAmountColWidth4", Kind::Integer, 100, nullptr},
    {"BudgetColWidth", Kind::Integer, 200, nullptr},
    {"DateColWidth", Kind::Integer, 100, nullptr},
    {"Height", Kind::Integer, 480, nullptr},
    {"IDColWidth", Kind::Integer, 100, nullptr},
    {"Left", Kind::Integer, 0, nullptr},
    {"Max", Kind::Boolean, 1, nullptr},
    {"NotesColWidth", Kind::Integer, 200, nullptr},
    {"PartyColWidth", Kind::Integer, 100, nullptr},
    {"PassedColWidth", Kind::Integer, 50, nullptr},
    {"ShowBudgetTray", Kind::Boolean, 1, nullptr},
    {"Top", Kind::Integer, 0, nullptr},
    {"Width", Kind::Integer, 640, nullptr},
    {"BackupPrompt", Kind::Boolean, 1, nullptr},
};

const Default kSearchDefaults[] = {
    {"AmountFrom", Kind::Integer, 0, nullptr},   {"AmountTo", Kind::Integer, 0, nullptr},
    {"Credits", Kind::Boolean, 1, nullptr},      {"Debits", Kind::Boolean, 1, nullptr},
    {"FromDate", Kind::Date, 365, nullptr},      {"ID", Kind::Text, 0, ""},
    {"IDBegins", Kind::Boolean, 0, nullptr},     {"IDContains", Kind::Boolean, 1, nullptr},
    {"IDEquals", Kind::Boolean, 0, nullptr},     {"IsToday", Kind::Boolean, 1, nullptr},
    {"Notes", Kind::Text, 0, ""},                {"NotesBegins", Kind::Boolean, 0, nullptr},
    {"NotesContains", Kind::Boolean, 1, nullptr}, {"NotesEquals", Kind::Boolean, 0, nullptr},
    {"Party", Kind::Integer, 0, nullptr},        {"Passed", Kind::Boolean, 1, nullptr},
    {"ToDate", Kind::Date, 0, nullptr},          {"Transfers", Kind::Boolean, 1, nullptr},
    {"Unpassed", Kind::Boolean, 1, nullptr},
};

template <size_t N>
bool WriteMissing(const QString& key, const Default (&defaults)[N])
{
    platform::TSettingsKey settings;
    if (!settings.Open(platform::SettingsScope::User, key, true))
        return false;
    for (const Default& d : defaults) {
        const QString name = QString::fromLatin1(d.name);
        if (settings.ValueExists(name))
            continue;
        switch (d.kind) {
        case Kind::Integer:
            settings.WriteInteger(name, d.value);
            break;
        case Kind::Boolean:
            settings.WriteBool(name, d.value != 0);
            break;
        case Kind::Text:
            settings.WriteString(name, QString::fromLatin1(d.text));
            break;
        case Kind::Date:
            settings.WriteDate(name, platform::Today().addDays(-d.value));
            break;
        }
    }
    return true;
}

} // namespace

int DisplayDefault(const QString& name)
{
    for (const Default& d : kDisplayDefaults) {
        if (name == QLatin1String(d.name))
            return d.value;
    }
    return 0;
}

bool WriteMissingDefaults()
{
    try {
        return WriteMissing(settings_keys::kDisplay, kDisplayDefaults) &&
               WriteMissing(settings_keys::kSearch, kSearchDefaults);
    } catch (const platform::ESettingsError&) {
        return false;
    }
}
