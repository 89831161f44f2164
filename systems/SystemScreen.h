#pragma once

#include "ui/Screen.h"

#include <QLabel>

class IMainWindow;
class TframArchitect;

// A link of the system screen: blue and underlined, red while the mouse is over it, with a hand pointer.
class TLinkLabel : public QLabel
{
    Q_OBJECT
public:
    TLinkLabel(const QString& text, QWidget* parent);
    void SetHot(bool hot);

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Paint();
    bool m_hot = false;
};

// The screen of a budget system, and the screen shown when no system is selected: a banner, a few words
// of welcome and four links.
class TframSystem : public TScreenFrame
{
    Q_OBJECT
public:
    explicit TframSystem(IMainWindow& main, QWidget* parent = nullptr);

    // Sets the screen up for a system (0: none, which disables the links that need one).
    void ShowSystem(qint64 system, TframArchitect* architect);
    qint64 System() const { return m_system; }

    TLinkLabel* lblLearn;
    TLinkLabel* lblNewSystem;
    TLinkLabel* lblChangePass;
    TLinkLabel* lblDeleteSystem;
    QLabel* imgBanner;
    QLabel* imgFiller;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    IMainWindow& m_main;
    TframArchitect* m_architect = nullptr;
    qint64 m_system = 0;
};
