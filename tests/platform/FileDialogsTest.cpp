#include "platform/FileDialogs.h"

#include "platform/ModalForm.h"

#include <QFileDialog>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The real dialog, caught where it would run modally: what a person would see in it, and what it returns.
TEST(FileDialogsTest, DialogsAreSetUpAsAskedAndReturnTheChosenFile)
{
    QTemporaryDir folder;
    struct Case
    {
        platform::FileDialogKind kind;
        QFileDialog::AcceptMode mode;
        QFileDialog::FileMode files;
    };
    for (const Case& c : {Case{platform::FileDialogKind::Save, QFileDialog::AcceptSave, QFileDialog::AnyFile},
                          Case{platform::FileDialogKind::Open, QFileDialog::AcceptOpen, QFileDialog::ExistingFile}}) {
        platform::TFileDialogSetup setup;
        setup.kind = c.kind;
        setup.title = QStringLiteral("Create backup");
        setup.defaultSuffix = QStringLiteral("bak");
        setup.fileName = folder.filePath(QStringLiteral("backup.bak"));
        setup.filter = QStringLiteral("Backup file. (*.bak)");
        int shown = 0;
        platform::SetModalInterceptor([&](QDialog& dialog) {
            ++shown;
            auto* files = dynamic_cast<QFileDialog*>(&dialog);
            EXPECT_NE(files, nullptr);
            if (!files)
                return int(QDialog::Rejected);
            EXPECT_EQ(files->windowTitle(), QStringLiteral("Create backup"));
            EXPECT_EQ(files->acceptMode(), c.mode);
            EXPECT_EQ(files->fileMode(), c.files);
            EXPECT_EQ(files->defaultSuffix(), QStringLiteral("bak"));
            EXPECT_EQ(files->nameFilters(), QStringList{QStringLiteral("Backup file. (*.bak)")});
            // Asking before a file is replaced is the toolkit's default; nothing may turn it off.
            EXPECT_FALSE(files->testOption(QFileDialog::DontConfirmOverwrite));
            return shown == 1 ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        EXPECT_EQ(platform::ChooseFile(setup), folder.filePath(QStringLiteral("backup.bak")));
        EXPECT_EQ(platform::ChooseFile(setup), QString()) << "a cancelled dialog chooses nothing";
        platform::SetModalInterceptor({});
    }
}

} // namespace
