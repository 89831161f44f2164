#pragma once

#include "platform/ModalForm.h"

class QLabel;
class QPushButton;
class QWidget;
class TLinkLabel;

// The maker's web page and support address, shown in the About box and the tips.
inline constexpr char kWebPage[] = "https://hollowmere.example/cofferly";
inline constexpr char kSupportAddress[] = "support@hollowmere.example";

// Asks whether the browser may be opened, and on OK opens the maker's web page. The About box's web link
// and the Help menu's "Visit us on the Web" both come here.
void OpenWebPage(QWidget* parent);

// Opens a new message to the support address in the person's mail program.
void WriteToSupport(QWidget* parent);

// The About box: the banner, the version of this build, the web and e-mail links (red under the mouse),
// the copyright notice, the database engine and OK.
class TfrmAbout : public TCentredDialog
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    QLabel* imgBanner;
    QLabel* lblVersion;
    TLinkLabel* lblWebLink;
    TLinkLabel* lblEmailLink;
    QLabel* lblCopyright;
    QLabel* lblEngine;
    QLabel* imgIcon;
    QPushButton* btnOK;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Creates the About box, shows it modally and frees it.
void ShowAboutBox(QWidget* parent);
