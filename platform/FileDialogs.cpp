#include "platform/FileDialogs.h"

#include "platform/ModalForm.h"

#include <QFileDialog>
#include <QStringList>

namespace platform {

namespace {
FileChooser& Chooser()
{
    static FileChooser chooser;
    return chooser;
}
} // namespace

void SetFileChooser(FileChooser chooser)
{
    Chooser() = std::move(chooser);
}

QString ChooseFile(const TFileDialogSetup& setup, QWidget* parent)
{
    if (Chooser())
        return Chooser()(setup);

    QFileDialog dialog(parent, setup.title);
    const bool save = setup.kind == FileDialogKind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A save dialog asks before it replaces a file (the toolkit's default); an open dialog takes only a
    // file that exists.
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(setup.defaultSuffix);
    dialog.setNameFilter(setup.filter);
    dialog.selectNameFilter(setup.filter);
    dialog.selectFile(setup.fileName);
    if (ExecModal(dialog) != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace platform
