#include "platform/HelpKey.h"

#include "platform/Messages.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QWidget>

namespace platform {

THelpKey::THelpKey(QWidget* window, std::function<void()> showHelp)
    : QObject(window), m_window(window), m_showHelp(std::move(showHelp))
{
    Watch(window);
}

void THelpKey::Watch(QObject* object)
{
    if (!object->isWidgetType())
        return;
    // A dialog or window opened over this one has its own topic; a drop-down list belongs to its control.
    const Qt::WindowType type = static_cast<QWidget*>(object)->windowType();
    if (object != m_window && (type == Qt::Dialog || type == Qt::Window))
        return;
    object->installEventFilter(this);
    for (QObject* child : object->children())
        Watch(child);
}

bool THelpKey::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        Watch(static_cast<QChildEvent*>(event)->child());
        break;
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat()) {
            RunUserAction(m_showHelp);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
