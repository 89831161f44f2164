#pragma once

#include <QUrl>
#include <functional>

class QWidget;

namespace platform {

// The desktop's "open" action: a web page in the person's browser, a mailto address in their mail program.
// False when the desktop could not hand the address on.
bool OpenUrl(const QUrl& url);

// Tests replace the desktop with a function that receives the address and says whether it was opened.
// An empty function restores the desktop.
using UrlOpener = std::function<bool(const QUrl&)>;
void SetUrlOpener(UrlOpener opener);

} // namespace platform
