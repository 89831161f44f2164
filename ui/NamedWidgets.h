#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>

// Controls made with their object names, the names the tests and the help key find them by.
namespace ui {

// A label, with the field its access key moves to when there is one.
inline QLabel* MakeLabel(const QString& name, const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

inline QLabel* MakeLabel(const QString& name, const QString& text, QWidget* parent)
{
    return MakeLabel(name, text, nullptr, parent);
}

inline QPushButton* MakeButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

} // namespace ui
