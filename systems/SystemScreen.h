#pragma once

#include "shell/Screen.h"

class IMainWindow;

// The screen of a budget system, and the screen shown when no system is selected.
class TframSystem : public TScreenFrame
{
public:
    TframSystem(IMainWindow& main, QWidget* parent = nullptr);

private:
    IMainWindow& m_main;
};
