#include "shell/ConversionProgress.h"

#include "platform/Messages.h"
#include "store/Upgrade.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

TfrmConversionProgress::TfrmConversionProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      lblUpdating(new QLabel(QStringLiteral("Updating your database from version 2 to version 3."), this)),
      lblWait(new QLabel(QStringLiteral("Please wait.  This may take a few minutes."), this)),
      barProgress(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmConversionProgress"));
    setWindowTitle(QStringLiteral("Updating Database"));
    setFixedSize(294, 114);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(4);
    // The window keeps its size whatever the font: a line too long for it wraps.
    for (QLabel* label : {lblUpdating, lblWait}) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    barProgress->setTextVisible(false);
    barProgress->setRange(0, 1);
    barProgress->setValue(0);
    layout->addWidget(barProgress);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TfrmConversionProgress::~TfrmConversionProgress()
{
    QApplication::restoreOverrideCursor();
}

void TfrmConversionProgress::Advance(int done, int steps)
{
    barProgress->setRange(0, steps);
    barProgress->setValue(done);
    repaint();
}

void TfrmConversionProgress::closeEvent(QCloseEvent* event)
{
    // Closing it would not stop the upgrade, only hide that it runs.
    event->ignore();
}

bool UpgradeWithProgress(TSQLiteDatabase& db, const QString& path)
{
    upgrade::Result result;
    {
        TfrmConversionProgress progress;
        progress.show();
        progress.repaint();
        result = upgrade::UpgradeStore(db, path, [&progress](int done, int steps) { progress.Advance(done, steps); });
    }
    if (result.upgraded) {
        platform::ShowMessage(platform::MsgIcon::Information,
                              QStringLiteral("Your data file has been brought up to date.\r\n"
                                             "A copy of it as it was before is kept as\r\n%1")
                                  .arg(QDir::toNativeSeparators(result.copyPath)));
        return true;
    }
    platform::ShowMessage(platform::MsgIcon::Error,
                          QStringLiteral("Your data file could not be brought up to date: %1\r\n"
                                         "It has not been changed. The update will be tried again the next time "
                                         "Cofferly starts.")
                              .arg(result.reason));
    return false;
}
