#include "ui/SideDialog.h"

#include "platform/Help.h"
#include "platform/HelpKey.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace ui {

TSideDialog::TSideDialog(const QString& objectName, const QString& caption, const QString& helpTopic, QWidget* parent)
    : TCentredDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setFixedSize(kWidth, kHeight);

    // Without its picture the panel keeps a plain colour of the picture's own.
    auto* side = new QLabel(this);
    side->setObjectName(QStringLiteral("imgSide"));
    side->setGeometry(0, 0, kSidePanelWidth, kHeight);
    side->setAutoFillBackground(true);
    QPalette sidePalette = side->palette();
    sidePalette.setColor(QPalette::Window, QColor(0x0a, 0x43, 0x4e));
    side->setPalette(sidePalette);
    const QPixmap picture(QStringLiteral(":/images/SideImage.jpg"));
    if (!picture.isNull())
        side->setPixmap(picture.scaled(side->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

    auto* right = new QWidget(this);
    right->setGeometry(kSidePanelWidth, 0, kWidth - kSidePanelWidth, kHeight);
    auto* layout = new QVBoxLayout(right);
    layout->setContentsMargins(28, 14, 20, 14);
    m_content = new QWidget(right);
    layout->addWidget(m_content, 1);

    btnOK = new QPushButton(QStringLiteral("OK"), right);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), right);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    new platform::THelpKey(this, [helpTopic] { platform::ShowHelpTopic(helpTopic); });
}

} // namespace ui
