#include "platform/Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <exception>
#include <vector>

namespace platform {

namespace {
MessageHandler& Handler()
{
    static MessageHandler handler;
    return handler;
}
} // namespace

void SetMessageHandler(MessageHandler handler)
{
    Handler() = std::move(handler);
}

void ShowCurrentError()
{
    QString message;
    try {
        throw;
    } catch (const std::exception& e) {
        // The program's own errors carry their message as UTF-8.
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("An unexpected error stopped the last action.");
    }
    ShowMessage(MsgIcon::Error, message);
}

namespace {

// How many user actions are running, one inside the other (a dialog's button inside a menu command).
int g_actionDepth = 0;

struct TAfterActions
{
    QPointer<QObject> context;
    std::function<void()> action;
};
std::vector<TAfterActions>& Waiting()
{
    static std::vector<TAfterActions> waiting;
    return waiting;
}

void PostAfterActions(QObject* context, std::function<void()> action)
{
    QMetaObject::invokeMethod(
        context,
        [context, action = std::move(action)] {
            if (g_actionDepth > 0)
                Waiting().push_back({context, action});
            else
                RunUserAction(action);
        },
        Qt::QueuedConnection);
}

} // namespace

void RunUserAction(const std::function<void()>& action)
{
    ++g_actionDepth;
    const auto leave = qScopeGuard([] {
        if (--g_actionDepth > 0 || Waiting().empty())
            return;
        // Posted rather than run here: the toolkit's frames of the handler that just returned are still
        // on the stack.
        std::vector<TAfterActions> ready;
        ready.swap(Waiting());
        for (TAfterActions& waiting : ready)
            if (waiting.context)
                PostAfterActions(waiting.context, std::move(waiting.action));
    });
    try {
        action();
    } catch (...) {
        ShowCurrentError();
    }
}

void RunAfterUserActions(QObject* context, std::function<void()> action)
{
    PostAfterActions(context, std::move(action));
}

QString DisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MsgAnswer ShowMessage(MsgIcon icon, const QString& text, MsgButtons buttons, QWidget* parent)
{
    if (Handler())
        return Handler()(icon, text, buttons);

    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(QApplication::applicationDisplayName().isEmpty() ? QStringLiteral("Cofferly")
                                                                        : QApplication::applicationDisplayName());
    box.setText(DisplayText(text));
    switch (icon) {
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    default:
        // Closing the box with Escape or its close button is the safe answer of its button set.
        return buttons == MsgButtons::YesNo      ? MsgAnswer::No
               : buttons == MsgButtons::OkCancel ? MsgAnswer::Cancel
                                                 : MsgAnswer::Ok;
    }
}

} // namespace platform
