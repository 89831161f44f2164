#pragma once

#include <QString>
#include <functional>

class TScreenFrame;

namespace help {

// The help topics are HTML pages in the "help" folder beside the program.
QString HelpFolder();

// Shows one topic of the help folder in the help window. When the topic is not there, says
// "The HTML help system is not available." and returns false.
bool DisplayHelpTopic(const QString& folder, const QString& topic);

// The topic for F1 on a screen (or on no screen).
QString ScreenHelpTopic(const TScreenFrame* screen);

// Tests replace the help window with a function that receives the page's path.
using HelpViewer = std::function<void(const QString& page)>;
void SetHelpViewer(HelpViewer viewer);

} // namespace help
