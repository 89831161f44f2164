#include "ui/GridLook.h"

#include <QApplication>
#include <QPainter>

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
    const bool negative = m_moneyColumns.contains(index.column()) && IsNegativeMoneyText(opt.text);
    const bool selected = opt.state.testFlag(QStyle::State_Selected);
    if (!IsStripedRow(index.row() + m_firstRowNumber) || selected) {
        if (negative)
            opt.palette.setColor(QPalette::Text, NegativeMoneyColour());
        const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        return;
    }
    painter->save();
    painter->fillRect(opt.rect, StripeColour());
    painter->setFont(opt.font);
    painter->setPen(negative ? NegativeMoneyColour() : opt.palette.color(QPalette::Text));
    const QRect textRect = opt.rect.adjusted(kCellTextOffset, kCellTextOffset, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      opt.fontMetrics.elidedText(opt.text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

} // namespace ui
