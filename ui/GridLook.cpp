#include "ui/GridLook.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

namespace ui {

QColor StripeColour()
{
    return QColor(204, 238, 255);
}

QColor NegativeMoneyColour()
{
    return QColor(240, 0, 0);
}

bool IsNegativeMoneyText(const QString& text)
{
    return text.startsWith(QLatin1Char('-'));
}

void TGridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    if (opt.state.testFlag(QStyle::State_Selected)) {
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        return;
    }
    const QPalette::ColorGroup group = !opt.state.testFlag(QStyle::State_Enabled) ? QPalette::Disabled
                                       : opt.state.testFlag(QStyle::State_Active) ? QPalette::Normal
                                                                                  : QPalette::Inactive;
    const bool negative = m_moneyColumns.contains(index.column()) && IsNegativeMoneyText(opt.text);
    painter->save();
    if (IsStripedRow(index.row() + m_firstRowNumber))
        painter->fillRect(opt.rect, StripeColour());
    else if (opt.backgroundBrush.style() != Qt::NoBrush)
        painter->fillRect(opt.rect, opt.backgroundBrush);
    painter->setFont(opt.font);
    painter->setPen(negative ? NegativeMoneyColour() : opt.palette.color(group, QPalette::Text));
    const QRect textRect = opt.rect.adjusted(kCellTextOffset, kCellTextOffset, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      opt.fontMetrics.elidedText(opt.text, Qt::ElideRight, textRect.width()));
    painter->restore();
    // The current cell of a grid that selects single cells may be left unselected; it keeps its frame.
    if (opt.state.testFlag(QStyle::State_HasFocus)) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor = opt.palette.color(group, QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, opt.widget);
    }
}

} // namespace ui
