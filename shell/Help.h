#pragma once

#include <QString>

class TScreenFrame;

namespace help {

// The topic for F1 on a screen (or on no screen).
QString ScreenHelpTopic(const TScreenFrame* screen);

} // namespace help
