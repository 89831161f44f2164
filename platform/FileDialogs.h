#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace platform {

enum class FileDialogKind
{
    Open, // the chosen file must exist
    Save, // asks before an existing file is replaced
};

// What a file dialog is set up with. The filter is written the toolkit's way, "Description (*.ext)".
struct TFileDialogSetup
{
    FileDialogKind kind = FileDialogKind::Open;
    QString title;
    QString defaultSuffix;
    QString fileName;
    QString filter;
};

// Shows the platform's open or save dialog, modal, and returns the chosen path; empty when the person
// cancelled. Every file dialog of the program goes through here.
QString ChooseFile(const TFileDialogSetup& setup, QWidget* parent = nullptr);

// Tests replace the dialog with a function that receives its set-up and returns the "chosen" path (empty
// for a cancelled dialog). An empty function restores the real dialog.
using FileChooser = std::function<QString(const TFileDialogSetup&)>;
void SetFileChooser(FileChooser chooser);

} // namespace platform
