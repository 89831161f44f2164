#include "platform/ModalForm.h"

#include <QDialog>
#include <QScreen>

namespace platform {

namespace {
ModalInterceptor& Interceptor()
{
    static ModalInterceptor interceptor;
    return interceptor;
}
} // namespace

void SetModalInterceptor(ModalInterceptor interceptor)
{
    Interceptor() = std::move(interceptor);
}

int ExecModal(QDialog& dialog)
{
    if (Interceptor())
        return Interceptor()(dialog);
    return dialog.exec();
}

void CentreOnDesktop(QWidget& window)
{
    if (QScreen* desktop = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(desktop->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

} // namespace platform
