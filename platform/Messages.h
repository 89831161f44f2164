#pragma once

#include <QString>
#include <functional>

class QObject;
class QWidget;

namespace platform {

enum class MsgIcon
{
    Information,
    Warning,
    Error,
    Question
};

enum class MsgButtons
{
    Ok,
    OkCancel,
    YesNo
};

enum class MsgAnswer
{
    Ok,
    Cancel,
    Yes,
    No
};

// Every message box of the program goes through this one function. The text is the program's own fixed
// text; "\r\n" and "\r" in it stand for line breaks.
MsgAnswer ShowMessage(MsgIcon icon, const QString& text, MsgButtons buttons = MsgButtons::Ok,
                      QWidget* parent = nullptr);

// Tests replace the real box with a handler that checks the text and gives the scripted answer.
// An empty handler restores the real box.
using MessageHandler = std::function<MsgAnswer(MsgIcon, const QString&, MsgButtons)>;
void SetMessageHandler(MessageHandler handler);

// Shows the message of the error being handled (inside a catch block).
void ShowCurrentError();

// Runs one user action and stops it where it stands when it raises an error (a text that is not a number,
// a setting that cannot be read): the error's message is shown and the program goes on. The error is
// caught here, inside the handler, because unwinding through the toolkit's own frames on its way to the
// event loop skips their clean-up (the event being delivered is never freed).
void RunUserAction(const std::function<void()>& action);

// Runs the function (as a user action) once no user action is running any more: it is posted to the
// event loop, and when it arrives inside one (a modal dialog's loop, say) it waits until the outermost
// action has returned. For work that replaces what a running handler may still hold: the tree's nodes, a
// screen. Dropped when the context object is gone by then.
void RunAfterUserActions(QObject* context, std::function<void()> action);

// RunUserAction as a handler to connect to a signal.
template <typename F> auto UserAction(F f)
{
    return [f = std::move(f)]() { RunUserAction(f); };
}

// The text as a person should see it: carriage returns become line breaks.
QString DisplayText(const QString& text);

} // namespace platform
