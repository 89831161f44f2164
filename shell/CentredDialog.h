#pragma once

#include <QDialog>
#include <QScreen>
#include <QShowEvent>

// A dialog that opens in the middle of the desktop, wherever the window behind it stands.
class TCentredDialog : public QDialog
{
public:
    using QDialog::QDialog;

protected:
    void showEvent(QShowEvent* event) override
    {
        // Only the program's own show; a window given back by the desktop stays where it was.
        if (!event->spontaneous()) {
            if (QScreen* desktop = screen()) {
                QRect frame = frameGeometry();
                frame.moveCenter(desktop->availableGeometry().center());
                move(frame.topLeft());
            }
        }
        QDialog::showEvent(event);
    }
};
