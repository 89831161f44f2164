#pragma once

#include "platform/ModalForm.h"

#include <QPointer>

class QAction;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The tips of the day, in the order they are shown.
inline constexpr int kTipCount = 10;
QString StartupTipText(int index);

// The tips window: a light bulb, one tip, "Show tips on startup", "Next Tip" and "Close". Each showing
// takes the next tip of the cycle kept in the Display key's Tip value, so the tips go round across
// showings and across runs.
class TfrmStartupTips : public TCentredDialog
{
    Q_OBJECT
public:
    explicit TfrmStartupTips(QWidget* parent = nullptr);

    // Shows the tip the Display key's Tip names and stores the one after it. Without the key, nothing
    // changes. Raises ESettingsError when the next tip cannot be stored.
    void ShowNextTip();

    // The Help menu's "Show tips on startup", kept in step with the check box; may be none.
    void SetStartupMenuItem(QAction* item) { m_startupItem = item; }

    QLabel* imgBulb;
    QPlainTextEdit* memTipText;
    QCheckBox* chkShowTips;
    QPushButton* btnNextTip;
    QPushButton* btnClose;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chkShowTipsClick();

    QPointer<QAction> m_startupItem;
};

// Shows the tips window modally with its first tip; startupItem is the menu item it keeps in step.
void ShowTipDialog(QWidget* parent, QAction* startupItem);
