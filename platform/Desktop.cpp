#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QScreen>
#include <QWidget>

namespace platform {

namespace {
UrlOpener& Opener()
{
    static UrlOpener opener;
    return opener;
}
} // namespace

void SetUrlOpener(UrlOpener opener)
{
    Opener() = std::move(opener);
}

bool OpenUrl(const QUrl& url)
{
    if (Opener())
        return Opener()(url);
    return QDesktopServices::openUrl(url);
}

} // namespace platform
