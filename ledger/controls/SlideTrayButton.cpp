#include "ledger/controls/SlideTrayButton.h"

#include <QMouseEvent>
#include <QPainter>

TSlideTrayButton::TSlideTrayButton(QWidget* parent) : QWidget(parent), m_color(palette().color(QPalette::Button))
{
    resize(10, 100);
}

void TSlideTrayButton::SetGripSize(int size)
{
    if (size <= 0 || size > height() || size < 2 * width())
        return;
    m_gripSize = size;
    update();
}

void TSlideTrayButton::SetColor(const QColor& color)
{
    m_color = color;
    update();
}

void TSlideTrayButton::paintEvent(QPaintEvent*)
{
    const int w = width();
    const int h = height();
    const int mid = h / 2;
    const int half = m_gripSize / 2;
    // The platform's three 3D colours: the highlight, the shadow and the dark shadow of a button.
    const QColor highlight = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor darkShadow = palette().color(QPalette::Shadow);

    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    auto line = [&p](const QColor& colour, int x1, int y1, int x2, int y2) {
        p.setPen(QPen(colour, 1));
        p.drawLine(x1, y1, x2, y2);
    };

    // Two ridges along the right edge.
    for (int offset : {0, 4}) {
        line(highlight, w - 3 - offset, 10, w - 3 - offset, h - 11);
        line(m_color, w - 2 - offset, 10, w - 2 - offset, h - 11);
        line(shadow, w - 1 - offset, 10, w - 1 - offset, h - 11);
    }

    // The grip: a tab GripSize high at the right edge, narrowing toward the left edge.
    const QPoint grip[4] = {QPoint(w - 1, mid - half), QPoint(0, mid - half + w), QPoint(0, mid + half - w),
                            QPoint(w - 1, mid + half)};
    p.setBrush(m_color);
    p.setPen(QPen(m_pressed ? darkShadow : highlight, 1));
    p.drawPolygon(grip, 4);
    // The lower slant and the right edge again, dark when raised and light when sunken.
    p.setPen(QPen(m_pressed ? highlight : darkShadow, 1));
    const QPoint edge[3] = {QPoint(0, mid + half - w), QPoint(w - 1, mid + half), QPoint(w - 1, mid - half)};
    p.drawPolyline(edge, 3);

    for (int y = mid - half + w + 4; y <= mid + half - w - 4; y += 2) {
        line(highlight, 2, y, w - 3, y);
        line(shadow, 2, y + 1, w - 3, y + 1);
    }
}

void TSlideTrayButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    update();
}

void TSlideTrayButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    update();
    // A click, as buttons have it: released over the button it was pressed on.
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}
