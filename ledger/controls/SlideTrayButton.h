#pragma once

#include <QColor>
#include <QWidget>

// A narrow vertical button drawn as a raised grip between two ridges; the transaction wizard shows and
// hides its budget tray with it. It looks sunken while the mouse button is held on it.
class TSlideTrayButton : public QWidget
{
    Q_OBJECT
public:
    explicit TSlideTrayButton(QWidget* parent = nullptr);

    int GripSize() const { return m_gripSize; }
    // Taken only when the grip fits the button: above 0, at most the height, and at least twice the
    // width (the slanted ends of the grip take one width each). Other values are ignored.
    void SetGripSize(int size);

    // The grip's fill; the palette's button colour unless set.
    QColor Color() const { return m_color; }
    void SetColor(const QColor& color);

    bool Pressed() const { return m_pressed; }

    QSize sizeHint() const override { return QSize(10, 100); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_gripSize = 40;
    QColor m_color;
    bool m_pressed = false;
};
