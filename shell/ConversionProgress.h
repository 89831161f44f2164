#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class TSQLiteDatabase;

// The small window shown while a data file of the previous layout is brought up to date: two centred
// lines, a progress bar and the busy pointer. It has no buttons: the upgrade cannot be interrupted.
class TfrmConversionProgress : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmConversionProgress(QWidget* parent = nullptr);
    ~TfrmConversionProgress() override;

    // Moves the bar and paints at once: no event loop runs during the upgrade.
    void Advance(int done, int steps);

    QLabel* lblUpdating;
    QLabel* lblWait;
    QProgressBar* barProgress;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// The data store's upgrade hook of the program: the progress window over the upgrade, then a message that
// says where the copy of the old file is, or why nothing was changed.
bool UpgradeWithProgress(TSQLiteDatabase& db, const QString& path);
