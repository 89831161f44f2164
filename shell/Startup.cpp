#include "shell/Startup.h"

#include "platform/Messages.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "shell/SingleInstance.h"
#include "store/DataStore.h"

#include <QFile>
#include <QFileInfo>

bool PrepareStart()
{
    const QString dataFile = TDataStore::DataFilePath();
    if (QFileInfo::exists(dataFile))
        QFile::setPermissions(dataFile, QFile::permissions(dataFile) | QFile::ReadOwner | QFile::WriteOwner);

    if (!WriteMissingDefaults()) {
        platform::ShowMessage(platform::MsgIcon::Error,
                              QStringLiteral("Cofferly was not installed properly.\rPlease reinstall the program."));
        return false;
    }
    return true;
}

void BringForward(QWidget& window)
{
    // Only a minimised window is restored, to the state it had before: a maximised one stays maximised.
    if (window.isMinimized())
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.raise();
    window.activateWindow();
}

int RunCofferly(TCofferlyApplication& app)
{
    TSingleInstance instance(TSingleInstance::NameForExecutable());
    const TSingleInstance::Lock lock = instance.Acquire();
    if (lock == TSingleInstance::Lock::Failed) {
        // Without the lock two instances could share one journal; starting silently would look like a crash.
        platform::ShowMessage(platform::MsgIcon::Error,
                              QStringLiteral("Cofferly cannot start.\r\n%1").arg(instance.ErrorText()));
        return 1;
    }
    const bool anotherIsRunning = lock == TSingleInstance::Lock::HeldByAnother;
    if (!PrepareStart())
        return 1;
    if (anotherIsRunning) {
        // Quietly: the person only sees the running window come forward.
        if (instance.ActivateRunning())
            return 0;
        // Held, but nobody answers: the running one is busy (a question may be up) or hung. Ending
        // without a word would look as if the program could not start at all.
        platform::ShowMessage(platform::MsgIcon::Information,
                              QStringLiteral("Cofferly is already running, but it does not answer.\r\n"
                                             "Please switch to its window, or wait a moment and try again."));
        return 1;
    }

    TfrmMain main;
    instance.Listen([&main] { BringForward(main); });
    try {
        main.FormShow();
    } catch (...) {
        TCofferlyApplication::ShowCurrentError();
        // Whatever stopped the start, the person gets a window to work in and to close.
        if (!main.isVisible())
            main.show();
    }
    return app.exec();
}
