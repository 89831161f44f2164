#pragma once

#include <QDialog>
#include <QShowEvent>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace platform {

// Every modal dialog of the program is shown through this helper, which returns the dialog's result
// (QDialog::Accepted or QDialog::Rejected). Tests install an interceptor that fills the dialog in and
// accepts or rejects it, so that widget flows run without timers or a real event loop.
int ExecModal(QDialog& dialog);

// The interceptor receives the dialog ready to be shown and returns its result. An empty function
// restores the real modal loop.
using ModalInterceptor = std::function<int(QDialog&)>;
void SetModalInterceptor(ModalInterceptor interceptor);

// Puts a window in the middle of the desktop it is on; for dialogs that are centred on the desktop rather
// than on the window that opened them. Call it from the window's own show, before it appears.
void CentreOnDesktop(QWidget& window);

} // namespace platform

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
