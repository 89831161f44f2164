#pragma once

#include "platform/Desktop.h"

#include <QDialog>
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
        if (!event->spontaneous())
            platform::CentreOnDesktop(*this);
        QDialog::showEvent(event);
    }
};
