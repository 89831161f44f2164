#include "platform/ModalForm.h"

#include <QDialog>

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

} // namespace platform
