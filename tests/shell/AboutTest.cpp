#include "shell/About.h"

#include "platform/Desktop.h"
#include "shell/MainWindow.h"
#include "systems/SystemScreen.h"
#include "tests/shell/ShellFixture.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

using platform::MsgAnswer;
using testing_support::ScriptedMessages;

const QString kWebQuestion =
    QStringLiteral("This will open your web browser.\r\nYou will be taken to Hollowmere Software's web page.\r\n"
                   "Please make sure you are connected to the internet before clicking \"OK\".");

// The desktop's "open" action replaced by a list of the addresses handed to it.
class AboutTest : public ShellFixture
{
protected:
    AboutTest()
    {
        platform::SetUrlOpener([this](const QUrl& url) {
            opened.push_back(url);
            return desktopOpens;
        });
    }
    ~AboutTest() override { platform::SetUrlOpener({}); }

    static QColor Colour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }

    std::vector<QUrl> opened;
    bool desktopOpens = true;
};

TEST_F(AboutTest, ShowsTheVersionOfThisBuildAndTheMakersAddresses)
{
    TfrmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Cofferly"));
    EXPECT_EQ(about.size(), QSize(490, 306));
    EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Version: 3.0.1.1"));
    EXPECT_EQ(about.lblWebLink->text(), QStringLiteral("https://hollowmere.example/cofferly"));
    EXPECT_EQ(about.lblEmailLink->text(), QStringLiteral("support@hollowmere.example"));
    const QString help = QStringLiteral("For help, support, and contact information, visit us on the web:");
    ASSERT_NE(about.findChild<QLabel*>(QStringLiteral("lblHelp")), nullptr);
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("lblHelp"))->text(), help);
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("lblEmail"))->text(), QStringLiteral("Or email at:"));
    EXPECT_TRUE(about.lblCopyright->text().startsWith(QStringLiteral("Copyright \u00a9")))
        << about.lblCopyright->text().toStdString();
    EXPECT_LT(about.lblCopyright->font().pointSizeF(), about.lblVersion->font().pointSizeF()) << "small type";
    EXPECT_TRUE(about.lblEngine->text().contains(QStringLiteral("based on SQLite 3.")))
        << about.lblEngine->text().toStdString();
    EXPECT_FALSE(about.imgBanner->pixmap().isNull());
    EXPECT_FALSE(about.imgIcon->pixmap().isNull());
    EXPECT_EQ(about.btnOK->text(), QStringLiteral("OK"));
    EXPECT_TRUE(about.btnOK->isDefault());
    for (TLinkLabel* link : {about.lblWebLink, about.lblEmailLink}) {
        EXPECT_EQ(Colour(link), QColor(Qt::blue));
        EXPECT_TRUE(link->font().underline());
    }
}

TEST_F(AboutTest, TheLinkUnderTheMouseIsRedAndTheOtherBlue)
{
    TfrmAbout about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    QWidget* panel = about.findChild<QWidget*>(QStringLiteral("pnlAbout"));
    ASSERT_NE(panel, nullptr);
    struct Step
    {
        const char* over;
        QWidget* widget;
        QColor web;
        QColor email;
    };
    const Step steps[] = {
        {"web link", about.lblWebLink, Qt::red, Qt::blue},
        {"e-mail link", about.lblEmailLink, Qt::blue, Qt::red},
        {"copyright", about.lblCopyright, Qt::blue, Qt::blue},
        {"web link again", about.lblWebLink, Qt::red, Qt::blue},
        {"panel", panel, Qt::blue, Qt::blue},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.over);
        const QPoint centre = step.widget == panel ? QPoint(4, 4) : step.widget->rect().center();
        QTest::mouseMove(step.widget, centre);
        QCoreApplication::processEvents();
        EXPECT_EQ(Colour(about.lblWebLink), step.web);
        EXPECT_EQ(Colour(about.lblEmailLink), step.email);
    }
}

TEST_F(AboutTest, TheWebLinkAsksFirstAndTheEmailLinkWritesToSupport)
{
    TfrmAbout about;
    about.show();
    {
        ScriptedMessages messages;
        messages.Expect(kWebQuestion, MsgAnswer::Cancel);
        QTest::mouseClick(about.lblWebLink, Qt::LeftButton);
        EXPECT_TRUE(opened.empty()) << "cancelled: nothing opens";
        messages.Expect(kWebQuestion, MsgAnswer::Ok);
        QTest::mouseClick(about.lblWebLink, Qt::LeftButton);
        QTest::mouseClick(about.lblEmailLink, Qt::LeftButton); // no question for the mail program
    }
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl(QStringLiteral("https://hollowmere.example/cofferly")),
                                         QUrl(QStringLiteral("mailto:support@hollowmere.example"))}));

    // A desktop without a browser or a mail program is not taken for one that opened the address.
    desktopOpens = false;
    ScriptedMessages messages;
    messages.Expect(kWebQuestion, MsgAnswer::Ok)
        .Expect(QStringLiteral("No program on this computer could open https://hollowmere.example/cofferly."))
        .Expect(QStringLiteral("No program on this computer could open support@hollowmere.example."));
    QTest::mouseClick(about.lblWebLink, Qt::LeftButton);
    QTest::mouseClick(about.lblEmailLink, Qt::LeftButton);
}

TEST_F(AboutTest, HelpMenuOpensTheAboutBoxAndTheWebPageTheSameWay)
{
    ScriptedMessages messages;
    TfrmMain main;
    QAction* about = main.Action(QStringLiteral("mitmAbout"));
    ASSERT_TRUE(about->isEnabled());
    about->trigger();
    EXPECT_EQ(dialogs, (std::vector<QString>{QStringLiteral("frmAbout")}));

    messages.Expect(kWebQuestion, MsgAnswer::Ok);
    main.Action(QStringLiteral("mitmWeb"))->trigger();
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl(QStringLiteral("https://hollowmere.example/cofferly"))}));
}

} // namespace
