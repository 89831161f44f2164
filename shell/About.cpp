#include "shell/About.h"

#include "platform/Desktop.h"
#include "platform/Messages.h"
#include "platform/ModalForm.h"
#include "resources/Resources.h"
#include "systems/SystemScreen.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <sqlite3.h>

namespace {

const char kWebQuestion[] = "This will open your web browser.\r\nYou will be taken to Hollowmere Software's web "
                            "page.\r\nPlease make sure you are connected to the internet before clicking \"OK\".";

// The desktop says when it has no program for an address; the person is told, and can still copy the
// address from the About box.
void OpenAddress(const QUrl& url, const QString& shown, QWidget* parent)
{
    if (!platform::OpenUrl(url))
        platform::ShowMessage(platform::MsgIcon::Warning,
                              QStringLiteral("No program on this computer could open %1.").arg(shown),
                              platform::MsgButtons::Ok, parent);
}

QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

void OpenWebPage(QWidget* parent)
{
    if (platform::ShowMessage(platform::MsgIcon::Information, QString::fromLatin1(kWebQuestion),
                              platform::MsgButtons::OkCancel, parent) == platform::MsgAnswer::Ok)
        OpenAddress(QUrl(QString::fromLatin1(kWebPage)), QString::fromLatin1(kWebPage), parent);
}

void WriteToSupport(QWidget* parent)
{
    OpenAddress(QUrl(QStringLiteral("mailto:") + QLatin1String(kSupportAddress)), QString::fromLatin1(kSupportAddress),
                parent);
}

TfrmAbout::TfrmAbout(QWidget* parent) : TCentredDialog(parent)
{
    InitCofferlyResources();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Cofferly"));
    setFixedSize(490, 306);

    // The banner stands at the left of a strip across the whole width; the strip's filler continues its
    // background, so the banner needs no fixed width of its own.
    imgBanner = MakeLabel("imgBanner", QString(), this);
    const QPixmap banner(QStringLiteral(":/images/BannerImage.jpg"));
    imgBanner->setPixmap(banner);
    imgBanner->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    imgBanner->setFixedHeight(banner.isNull() ? 88 : banner.height());
    imgBanner->setAutoFillBackground(true);
    QPalette strip = imgBanner->palette();
    strip.setBrush(QPalette::Window, QBrush(QPixmap(QStringLiteral(":/images/BannerFiller.jpg"))));
    imgBanner->setPalette(strip);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlAbout"));

    // Shown when the build carries no version of its own.
    lblVersion = MakeLabel("lblVersion", QStringLiteral("Version: 2.0.0.0"), panel);
#ifdef COFFERLY_VERSION
    lblVersion->setText(QStringLiteral("Version: ") + QLatin1String(COFFERLY_VERSION));
#endif
    QFont bold = lblVersion->font();
    bold.setBold(true);
    lblVersion->setFont(bold);
    QLabel* lblHelp =
        MakeLabel("lblHelp", QStringLiteral("For help, support, and contact information, visit us on the web:"), panel);
    lblWebLink = new TLinkLabel(QString::fromLatin1(kWebPage), panel);
    lblWebLink->setObjectName(QStringLiteral("lblWebLink"));
    QLabel* lblEmail = MakeLabel("lblEmail", QStringLiteral("Or email at:"), panel);
    lblEmailLink = new TLinkLabel(QString::fromLatin1(kSupportAddress), panel);
    lblEmailLink->setObjectName(QStringLiteral("lblEmailLink"));
    lblCopyright =
        MakeLabel("lblCopyright",
                  QStringLiteral("Copyright \u00a9 2026 Hollowmere Software. Cofferly is free software under "
                                 "the GNU General Public License, version 3 or later."),
                  panel);
    lblCopyright->setWordWrap(true);
    QFont small = lblCopyright->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    lblCopyright->setFont(small);
    lblEngine = MakeLabel(
        "lblEngine",
        QStringLiteral("The database engine is based on SQLite %1.").arg(QString::fromLatin1(sqlite3_libversion())),
        panel);
    lblEngine->setFont(small);
    imgIcon = MakeLabel("imgIcon", QString(), panel);
    imgIcon->setPixmap(QPixmap(QStringLiteral(":/images/ProgramIcon.png")));
    imgIcon->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    imgIcon->setFixedWidth(56);
    btnOK = new QPushButton(QStringLiteral("OK"), panel);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(lblVersion);
    texts->addSpacing(6);
    texts->addWidget(lblHelp);
    texts->addWidget(lblWebLink, 0, Qt::AlignLeft);
    texts->addSpacing(4);
    texts->addWidget(lblEmail);
    texts->addWidget(lblEmailLink, 0, Qt::AlignLeft);
    texts->addStretch();
    texts->addWidget(lblCopyright);
    texts->addWidget(lblEngine);
    auto* body = new QHBoxLayout;
    body->setSpacing(8);
    body->addWidget(imgIcon);
    body->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(12, 10, 12, 10);
    panelLayout->addLayout(body, 1);
    panelLayout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(imgBanner);
    layout->addWidget(panel, 1);

    // The mouse over anything of the panel but a link leaves both links blue.
    for (QWidget* w :
         {panel, static_cast<QWidget*>(lblVersion), static_cast<QWidget*>(lblHelp), static_cast<QWidget*>(lblEmail),
          static_cast<QWidget*>(lblCopyright), static_cast<QWidget*>(lblEngine), static_cast<QWidget*>(imgIcon)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }

    connect(lblWebLink, &TLinkLabel::clicked, this, platform::UserAction([this] { OpenWebPage(this); }));
    connect(lblEmailLink, &TLinkLabel::clicked, this, platform::UserAction([this] { WriteToSupport(this); }));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    btnOK->setFocus();
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        lblWebLink->SetHot(false);
        lblEmailLink->SetHot(false);
    }
    return TCentredDialog::eventFilter(watched, event);
}

void ShowAboutBox(QWidget* parent)
{
    TfrmAbout about(parent);
    platform::ExecModal(about);
}
