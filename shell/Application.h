#pragma once

#include <QApplication>

// The application object. It is also the program's top-level error handler: an error raised by a user
// action (a text that is not a number, a setting that cannot be read) stops that action where the event
// was delivered, its message is shown in a message box, and the program goes on.
class TCofferlyApplication : public QApplication
{
public:
    TCofferlyApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of the error being handled; for code that catches errors itself at a boundary
    // where they must not travel further (a callback from a plug-in, say).
    static void ShowCurrentError();
};
