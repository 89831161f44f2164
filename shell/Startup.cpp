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

int RunCofferly(TCofferlyApplication& app)
{
    TSingleInstance instance(TSingleInstance::NameForExecutable());
    const bool anotherIsRunning = !instance.Acquire();
    if (!PrepareStart())
        return 1;
    if (anotherIsRunning) {
        // Quietly: the person only sees the running window come forward.
        return instance.ActivateRunning() ? 0 : 1;
    }

    TfrmMain main;
    instance.Listen([&main] {
        if (main.isMinimized())
            main.showNormal();
        main.raise();
        main.activateWindow();
    });
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
