#pragma once

class TCofferlyApplication;
class QWidget;

// What a second launch asks of the running instance's window: come forward, as it was.
void BringForward(QWidget& window);

// The checks before the main window exists: the data file made writable again when something marked it
// read-only, and every missing setting written with its default. False, after telling the person, when
// the settings cannot be opened: the program must end.
bool PrepareStart();

// The whole program after the application object exists: the single-instance check, the checks above,
// the main window and the event loop. Returns the process's exit code.
int RunCofferly(TCofferlyApplication& app);
