#pragma once

#include "platform/ModalForm.h"

#include <QDialog>

class QPushButton;

namespace ui {

// The small dialogs of the program (budget item name, budget transfer, rule editor, party) share one
// look: a fixed client area of 490 x 306 pixels with the side picture in a 172-pixel panel at the left,
// "OK" and "Cancel" at the bottom right, a place in the middle of the desktop, and F1 anywhere for the
// dialog's help topic.
class TSideDialog : public TCentredDialog
{
    Q_OBJECT
public:
    static constexpr int kWidth = 490;
    static constexpr int kHeight = 306;
    static constexpr int kSidePanelWidth = 172;

    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    TSideDialog(const QString& objectName, const QString& caption, const QString& helpTopic, QWidget* parent);

    // The area right of the picture panel, above the buttons, where each dialog puts its own controls.
    QWidget* Content() const { return m_content; }

private:
    QWidget* m_content;
};

} // namespace ui
