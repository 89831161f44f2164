#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace platform {

// The help topics are HTML pages of our own in the "help" folder beside the program.
QString HelpFolder();

// Shows one topic of a help folder in the help window. When the topic is not there, says
// "The HTML help system is not available." and returns false.
bool DisplayHelpTopic(const QString& folder, const QString& topic);

// DisplayHelpTopic on the program's own help folder.
bool ShowHelpTopic(const QString& topic);

// F1 released anywhere in the window, or in any control it holds now or later, shows the topic.
void WatchHelpKey(QWidget& window, const QString& topic);

// Closes the help window of the main window; the program is ending.
void CloseHelpWindows();

// Tests replace the help window with a function that receives the page's path.
using HelpViewer = std::function<void(const QString& page)>;
void SetHelpViewer(HelpViewer viewer);

} // namespace platform
