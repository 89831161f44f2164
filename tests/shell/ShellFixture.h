#pragma once

#include "platform/Help.h"
#include "platform/ModalForm.h"
#include "platform/Settings.h"
#include "platform/Today.h"
#include "shell/Help.h"
#include "shell/SettingsDefaults.h"
#include "store/SQLiteDatabase.h"
#include "store/Schema.h"
#include "tests/support/DataFile.h"
#include "tests/support/TestSupport.h"

#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A program directory with a data file holding one system, settings files of its own, a fixed today,
// the help window replaced by a list of the pages asked for, and every modal dialog that a test does not
// script itself noted by its name and closed at once, as its Close or Cancel would.
class ShellFixture : public ::testing::Test
{
protected:
    ShellFixture()
    {
        platform::SetSettingsFiles(settingsDir.filePath(QStringLiteral("user.ini")),
                                   settingsDir.filePath(QStringLiteral("machine.ini")));
        platform::SetTodayOverride(QDate(2026, 12, 10));
        platform::SetHelpViewer([this](const QString& page) { helpPages.push_back(QFileInfo(page).fileName()); });
        // A backup made today, so that the reminder stays away from every test that is not about it.
        platform::TSettingsKey machine;
        if (machine.Open(platform::SettingsScope::Machine, settings_keys::kMachine, true))
            machine.WriteDate(QStringLiteral("Backup"), platform::Today());
        platform::SetModalInterceptor([this](QDialog& dialog) {
            dialogs.push_back(dialog.objectName());
            return int(QDialog::Rejected);
        });
    }
    ~ShellFixture() override
    {
        platform::SetModalInterceptor({});
        platform::SetHelpViewer({});
        platform::SetTodayOverride(QDate());
        platform::SetSettingsFiles(QString(), QString());
    }

    void CreateDataFile()
    {
        testing_support::CreateDataFile(dir.File(QStringLiteral("Cofferly.db")),
                                        testing_support::OneSystemOneAccount());
    }

    // Installs the help topics the way the build does: a "help" folder beside the program.
    void InstallHelp()
    {
        QDir(dir.Path()).mkpath(QStringLiteral("help"));
        for (const char* topic : {"Overview.htm", "AccountTransactionsScreen.htm"})
            testing_support::WriteAll(dir.File(QStringLiteral("help/") + QLatin1String(topic)), "<html></html>");
    }

    testing_support::TempProgramDir dir;
    QTemporaryDir settingsDir;
    std::vector<QString> helpPages;
    std::vector<QString> dialogs;
};
