#include "systems/SystemScreen.h"

#include "platform/Help.h"
#include "platform/Messages.h"
#include "resources/Resources.h"
#include "ui/MainWindowInterface.h"
#include "systems/Architect.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QVBoxLayout>

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setFocusPolicy(Qt::NoFocus);
    Paint();
}

void TLinkLabel::SetHot(bool hot)
{
    m_hot = hot;
    Paint();
}

void TLinkLabel::Paint()
{
    QPalette p = palette();
    const QColor colour = !isEnabled() ? QColor(0x80, 0x80, 0x80) : m_hot ? QColor(Qt::red) : QColor(Qt::blue);
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

void TLinkLabel::enterEvent(QEnterEvent* event)
{
    SetHot(true);
    QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event)
{
    SetHot(false);
    QLabel::leaveEvent(event);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event)
{
    // Taken here, so that the release comes back to the link rather than to the screen behind it.
    event->accept();
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void TLinkLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        Paint();
    QLabel::changeEvent(event);
}

TframSystem::TframSystem(IMainWindow& main, QWidget* parent) : TScreenFrame(ScreenKind::System, parent), m_main(main)
{
    InitCofferlyResources();
    setObjectName(QStringLiteral("framSystem"));
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* banner = new QWidget(this);
    banner->setFixedHeight(90);
    auto* bannerLayout = new QHBoxLayout(banner);
    bannerLayout->setContentsMargins(0, 0, 0, 0);
    bannerLayout->setSpacing(0);
    imgBanner = new QLabel(banner);
    imgBanner->setObjectName(QStringLiteral("imgBanner"));
    imgFiller = new QLabel(banner);
    imgFiller->setObjectName(QStringLiteral("imgFiller"));
    imgFiller->setScaledContents(true);
    imgFiller->setMinimumWidth(1);
    imgFiller->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    imgFiller->setFixedHeight(90);
    bannerLayout->addWidget(imgBanner);
    bannerLayout->addWidget(imgFiller, 1);
    layout->addWidget(banner);

    auto* intro = new QLabel(platform::DisplayText(QStringLiteral(
                                 "\r\n               To begin, make a selection from the System Tree to the left,\r\n"
                                 "               or click one of the links below.")),
                             this);
    intro->setObjectName(QStringLiteral("lblIntro"));
    auto* want = new QLabel(platform::DisplayText(QStringLiteral("\r\n                    I want to...\r\n")), this);
    want->setObjectName(QStringLiteral("lblWant"));
    QFont wantFont = want->font();
    wantFont.setBold(true);
    want->setFont(wantFont);
    for (QLabel* label : {intro, want})
        label->setMouseTracking(true);
    layout->addWidget(intro);
    layout->addWidget(want);

    auto* links = new QVBoxLayout;
    links->setContentsMargins(96, 0, 0, 0);
    links->setSpacing(16);
    lblLearn = new TLinkLabel(QStringLiteral("learn how to use Cofferly."), this);
    lblLearn->setObjectName(QStringLiteral("lblLearn"));
    lblNewSystem = new TLinkLabel(QStringLiteral("create a new Budget System."), this);
    lblNewSystem->setObjectName(QStringLiteral("lblNewSystem"));
    lblChangePass = new TLinkLabel(QStringLiteral("change the password for this Budget System."), this);
    lblChangePass->setObjectName(QStringLiteral("lblChangePass"));
    lblDeleteSystem = new TLinkLabel(QStringLiteral("delete this Budget System."), this);
    lblDeleteSystem->setObjectName(QStringLiteral("lblDeleteSystem"));
    for (TLinkLabel* link : {lblLearn, lblNewSystem, lblChangePass, lblDeleteSystem}) {
        auto* row = new QHBoxLayout;
        row->addWidget(link);
        row->addStretch();
        links->addLayout(row);
    }
    layout->addLayout(links);
    layout->addStretch();

    connect(lblLearn, &TLinkLabel::clicked, this,
            platform::UserAction([] { platform::ShowHelpTopic(QStringLiteral("Overview.htm")); }));
    // A new system, or the deletion of this one, replaces this very screen: the busy protocol keeps it alive
    // until the command has returned here. An error is shown inside, while the screen is still kept.
    connect(lblNewSystem, &TLinkLabel::clicked, this, platform::UserAction([this] {
        if (m_architect)
            RunWhileBusy(m_main, [this] { platform::RunUserAction([this] { m_architect->mitmNewSystemClick(); }); });
    }));
    connect(lblDeleteSystem, &TLinkLabel::clicked, this, platform::UserAction([this] {
        if (m_architect)
            RunWhileBusy(m_main, [this] { platform::RunUserAction([this] { m_architect->mitmDeleteClick(); }); });
    }));
    connect(lblChangePass, &TLinkLabel::clicked, this, platform::UserAction([this] {
        if (m_architect)
            m_architect->mitmChangePassClick();
    }));
    ShowSystem(0, nullptr);
}

void TframSystem::ShowSystem(qint64 system, TframArchitect* architect)
{
    ReleasePending = false;
    imgBanner->setPixmap(QPixmap(QStringLiteral(":/images/BannerImage.jpg")));
    imgFiller->setPixmap(QPixmap(QStringLiteral(":/images/BannerFiller.jpg")));
    m_system = system;
    m_architect = architect;
    for (TLinkLabel* link : {lblLearn, lblNewSystem, lblChangePass, lblDeleteSystem})
        link->SetHot(false);
    lblChangePass->setEnabled(system != 0);
    lblDeleteSystem->setEnabled(system != 0);
}

void TframSystem::mouseMoveEvent(QMouseEvent* event)
{
    for (TLinkLabel* link : {lblLearn, lblNewSystem, lblChangePass, lblDeleteSystem})
        link->SetHot(false);
    TScreenFrame::mouseMoveEvent(event);
}

void TframSystem::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        m_main.ShowScreenHelp();
        return;
    }
    TScreenFrame::keyReleaseEvent(event);
}
