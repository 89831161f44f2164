#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace platform {

// F1 anywhere in a window shows its help, when the key is released. The watcher sits on the window and on
// every control in it, those created later included (a grid's cell editor, say): a line edit keeps its
// key releases to itself, so the window alone would never see them. A dialog opened over the window is a
// window of its own, with its own topic, and is not watched.
class THelpKey : public QObject
{
public:
    THelpKey(QWidget* window, std::function<void()> showHelp);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QObject* object);

    QWidget* m_window;
    std::function<void()> m_showHelp;
};

} // namespace platform
