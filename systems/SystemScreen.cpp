#include "systems/SystemScreen.h"

#include "shell/MainWindowInterface.h"

#include <QLabel>
#include <QVBoxLayout>

TframSystem::TframSystem(IMainWindow& main, QWidget* parent) : TScreenFrame(ScreenKind::System, parent), m_main(main)
{
    setObjectName(QStringLiteral("framSystem"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Cofferly"), this);
    QFont font = title->font();
    font.setPointSize(font.pointSize() * 2);
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title);
    layout->addWidget(new QLabel(QStringLiteral("Select a budget system on the left."), this));
    layout->addStretch();
}
