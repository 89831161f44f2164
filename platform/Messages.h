#pragma once

#include <QString>
#include <functional>

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

// The text as a person should see it: carriage returns become line breaks.
QString DisplayText(const QString& text);

} // namespace platform
