#include "platform/Help.h"

#include "platform/Messages.h"
#include "platform/ProgramDir.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace platform {

namespace {

HelpViewer& Viewer()
{
    static HelpViewer viewer;
    return viewer;
}

// One help window for the whole run, reused by every topic, like a help viewer of the desktop.
class THelpWindow : public QDialog
{
public:
    THelpWindow() : QDialog(nullptr), m_browser(new QTextBrowser(this))
    {
        setObjectName(QStringLiteral("frmHelp"));
        setWindowTitle(QStringLiteral("Cofferly Help"));
        setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_browser);
        // Links to the maker's web page open in the browser; links between topics stay here.
        m_browser->setOpenLinks(false);
        connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
            if (url.isLocalFile() || url.isRelative())
                m_browser->setSource(m_browser->source().resolved(url));
            else
                QDesktopServices::openUrl(url);
        });
        resize(720, 560);
    }
    void ShowPage(const QString& page)
    {
        m_browser->setSource(QUrl::fromLocalFile(page));
        show();
        raise();
        activateWindow();
    }

private:
    QTextBrowser* m_browser;
};

} // namespace

QString HelpFolder()
{
    return ProgramFile(QStringLiteral("help"));
}

void SetHelpViewer(HelpViewer viewer)
{
    Viewer() = std::move(viewer);
}

bool DisplayHelpTopic(const QString& folder, const QString& topic)
{
    const QString page = QDir(folder).filePath(topic);
    if (!QFileInfo(page).isFile()) {
        ShowMessage(MsgIcon::Error, QStringLiteral("The HTML help system is not available."));
        return false;
    }
    if (Viewer()) {
        Viewer()(page);
        return true;
    }
    static QPointer<THelpWindow> window;
    if (!window)
        window = new THelpWindow;
    window->ShowPage(page);
    return true;
}

bool ShowHelpTopic(const QString& topic)
{
    return DisplayHelpTopic(HelpFolder(), topic);
}

} // namespace platform
