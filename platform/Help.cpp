#include "platform/Help.h"

#include "platform/HelpKey.h"

#include "platform/Messages.h"
#include "platform/ProgramDir.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
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

// The help window, reused by every topic like a help viewer of the desktop. It never keeps the program
// running on its own once the main window has closed.
class THelpWindow : public QDialog
{
public:
    explicit THelpWindow(QWidget* owner) : QDialog(owner, Qt::Window), m_browser(new QTextBrowser(this))
    {
        setObjectName(QStringLiteral("frmHelp"));
        setWindowTitle(QStringLiteral("Cofferly Help"));
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_QuitOnClose, false);
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

// The help window shown outside any modal dialog; those shown from a dialog belong to it and go with it.
QPointer<THelpWindow>& SharedHelpWindow()
{
    static QPointer<THelpWindow> window;
    return window;
}

} // namespace

void WatchHelpKey(QWidget& window, const QString& topic)
{
    new THelpKey(&window, [topic] { ShowHelpTopic(topic); });
}

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
    // A modal dialog blocks every window but its own children: help asked for from inside one is shown
    // in a window that belongs to it, and goes with it.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        (new THelpWindow(modal))->ShowPage(page);
        return true;
    }
    QPointer<THelpWindow>& window = SharedHelpWindow();
    if (!window)
        window = new THelpWindow(nullptr);
    window->ShowPage(page);
    return true;
}

void CloseHelpWindows()
{
    if (SharedHelpWindow())
        SharedHelpWindow()->close();
}

bool ShowHelpTopic(const QString& topic)
{
    return DisplayHelpTopic(HelpFolder(), topic);
}

} // namespace platform
