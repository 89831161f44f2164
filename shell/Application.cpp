#include "shell/Application.h"

#include "platform/Messages.h"
#include "resources/Resources.h"


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
    platform::ShowCurrentError();
}

bool TCofferlyApplication::notify(QObject* receiver, QEvent* event)
{
    // Errors must not cross the event loop. The program's handlers catch them themselves
    // (platform::RunUserAction); this is the last place for one that was missed.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentError();
    }
    return false;
}
