#include "shell/Application.h"

#include "platform/Messages.h"
#include "platform/Settings.h"
#include "resources/Resources.h"
#include "store/Encodings.h"

#include <exception>

TCofferlyApplication::TCofferlyApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Cofferly"));
    setApplicationDisplayName(QStringLiteral("Cofferly"));
    setApplicationVersion(QStringLiteral(COFFERLY_VERSION));
    setOrganizationName(QStringLiteral("Hollowmere"));
    InitCofferlyResources();
}

void TCofferlyApplication::ShowCurrentError()
{
    QString message;
    try {
        throw;
    } catch (const EConvertError& e) {
        message = e.Message();
    } catch (const platform::ESettingsError& e) {
        message = e.Message();
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
        message = QStringLiteral("An unexpected error stopped the last action.");
    }
    platform::ShowMessage(platform::MsgIcon::Error, message);
}

bool TCofferlyApplication::notify(QObject* receiver, QEvent* event)
{
    // Errors must not cross the event loop; this is the last place they can be caught.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentError();
    }
    return false;
}
