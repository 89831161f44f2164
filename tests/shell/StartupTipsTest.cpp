#include "shell/StartupTips.h"

#include "shell/MainWindow.h"
#include "shell/SettingsDefaults.h"
#include "tests/shell/ShellFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <set>

namespace {

using platform::SettingsScope;
using platform::TSettingsKey;
using testing_support::ScriptedMessages;

const QString kTip = QStringLiteral("Tip");
const QString kShowTip = QStringLiteral("ShowTip");

class StartupTipsTest : public ShellFixture
{
protected:
    StartupTipsTest() { WriteMissingDefaults(); }

    static void WriteText(const QString& name, const QString& text)
    {
        TSettingsKey display;
        ASSERT_TRUE(display.Open(SettingsScope::User, settings_keys::kDisplay, false));
        display.WriteString(name, text);
    }
    static QString ReadText(const QString& name)
    {
        TSettingsKey display;
        if (!display.Open(SettingsScope::User, settings_keys::kDisplay, false) || !display.ValueExists(name))
            return QStringLiteral("<none>");
        return display.ReadString(name);
    }
    // The tip a showing of the window presents, and the Tip it leaves stored.
    static std::pair<QString, QString> ShowOnce()
    {
        TfrmStartupTips tips;
        tips.ShowNextTip();
        return {tips.memTipText->toPlainText(), ReadText(kTip)};
    }
};

TEST_F(StartupTipsTest, WindowHasItsTextsAndOpensTicked)
{
    TfrmStartupTips tips;
    EXPECT_EQ(tips.windowTitle(), QStringLiteral("Tip of the Day"));
    EXPECT_EQ(tips.size(), QSize(386, 259));
    EXPECT_EQ(tips.chkShowTips->text(), QStringLiteral("Show tips on startup"));
    EXPECT_EQ(tips.btnNextTip->text(), QStringLiteral("Next Tip"));
    EXPECT_EQ(tips.btnClose->text(), QStringLiteral("Close"));
    EXPECT_TRUE(tips.btnClose->isDefault());
    EXPECT_FALSE(tips.imgBulb->pixmap().isNull());
    EXPECT_EQ(tips.memTipText->focusPolicy(), Qt::NoFocus);

    // The box does not read the setting: it opens ticked even with start-up tips off.
    WriteText(kShowTip, QStringLiteral("0"));
    TfrmStartupTips again;
    EXPECT_TRUE(again.chkShowTips->isChecked());
}

TEST_F(StartupTipsTest, TipsCycleInOrderAcrossShowingsAndNextTip)
{
    // A fresh installation starts with tip 0, which names the support address.
    const auto [first, stored] = ShowOnce();
    EXPECT_EQ(first, StartupTipText(0));
    EXPECT_TRUE(first.endsWith(QStringLiteral("should be directed to support@hollowmere.example.")));
    EXPECT_EQ(stored, QStringLiteral("1"));
    // The next showing, in this run or the next (only the setting carries over), goes on with tip 1.
    EXPECT_EQ(ShowOnce().first, StartupTipText(1));

    TfrmStartupTips tips;
    tips.ShowNextTip();
    EXPECT_EQ(tips.memTipText->toPlainText(), StartupTipText(2));
    std::set<QString> seen{tips.memTipText->toPlainText()};
    for (int click = 0; click < kTipCount - 1; ++click) {
        tips.btnNextTip->click();
        seen.insert(tips.memTipText->toPlainText());
    }
    EXPECT_EQ(seen.size(), size_t(kTipCount)) << "ten different tips in one round";
    EXPECT_EQ(ReadText(kTip), QStringLiteral("2"));
    tips.btnNextTip->click();
    EXPECT_EQ(tips.memTipText->toPlainText(), StartupTipText(2)) << "the round closes";

    // The last tip wraps around to the first.
    WriteText(kTip, QStringLiteral("9"));
    TfrmStartupTips last;
    last.ShowNextTip();
    EXPECT_EQ(last.memTipText->toPlainText(), StartupTipText(9));
    EXPECT_TRUE(StartupTipText(9).startsWith(QStringLiteral("You can find transactions")));
    EXPECT_EQ(ReadText(kTip), QStringLiteral("0"));
    last.btnNextTip->click();
    EXPECT_EQ(last.memTipText->toPlainText(), StartupTipText(0));
    EXPECT_EQ(ReadText(kTip), QStringLiteral("1"));
}

TEST_F(StartupTipsTest, AStoredTipOutOfRangeOrUnreadableRestartsTheCycle)
{
    for (const char* stored : {"-1", "10", "2147483647", "-2147483648", "seven", "", "3.5"}) {
        SCOPED_TRACE(stored);
        ScriptedMessages messages; // nothing to tell: the cycle restarts quietly
        WriteText(kTip, QString::fromLatin1(stored));
        const auto [shown, next] = ShowOnce();
        EXPECT_EQ(shown, StartupTipText(0));
        EXPECT_EQ(next, QStringLiteral("1"));
    }
}

TEST_F(StartupTipsTest, WithoutTheDisplayKeyNothingIsShownOrStored)
{
    platform::SetSettingsFiles(settingsDir.filePath(QStringLiteral("empty.ini")),
                               settingsDir.filePath(QStringLiteral("machine.ini")));
    TfrmStartupTips tips;
    tips.ShowNextTip();
    tips.btnNextTip->click();
    tips.chkShowTips->click();
    EXPECT_TRUE(tips.memTipText->toPlainText().isEmpty());
    TSettingsKey display;
    EXPECT_FALSE(display.Open(SettingsScope::User, settings_keys::kDisplay, false)) << "the key is not created";
}

// The whole road: the first show of the main window brings the tips, unticking turns them off for the
// next start, and the Help menu still shows them on request, ticked.
TEST_F(StartupTipsTest, FirstShowOfTheMainWindowShowsTipsUntilTheyAreTurnedOff)
{
    CreateDataFile();
    ScriptedMessages messages;
    std::vector<QString> shownTips;
    std::vector<bool> ticked;
    std::vector<QString> showTipAfterClick;
    const auto untick = [&](QDialog& dialog) {
        auto* tips = dynamic_cast<TfrmStartupTips*>(&dialog);
        EXPECT_NE(tips, nullptr);
        if (!tips)
            return int(QDialog::Rejected);
        shownTips.push_back(tips->memTipText->toPlainText());
        ticked.push_back(tips->chkShowTips->isChecked());
        tips->chkShowTips->click();
        showTipAfterClick.push_back(ReadText(kShowTip));
        return int(QDialog::Accepted);
    };
    platform::SetModalInterceptor(untick);
    {
        TfrmMain main;
        main.FormShow();
        ASSERT_EQ(shownTips.size(), 1u);
        EXPECT_EQ(shownTips[0], StartupTipText(0));
        EXPECT_EQ(showTipAfterClick[0], QStringLiteral("0")) << "stored at the click, before the window closes";
        EXPECT_FALSE(main.Action(QStringLiteral("mitmStartupTips"))->isChecked()) << "the menu follows the box";
        EXPECT_NE(main.CurrentScreen(), nullptr) << "the start goes on after the tips";
    }

    TfrmMain next;
    next.FormShow();
    EXPECT_EQ(shownTips.size(), 1u) << "no tips at the next start";
    QAction* startupItem = next.Action(QStringLiteral("mitmStartupTips"));
    EXPECT_FALSE(startupItem->isChecked());

    QAction* showTip = next.Action(QStringLiteral("mitmShowTip"));
    ASSERT_TRUE(showTip->isEnabled());
    showTip->trigger();
    ASSERT_EQ(shownTips.size(), 2u);
    EXPECT_EQ(shownTips[1], StartupTipText(1)) << "the cycle goes on across runs";
    EXPECT_TRUE(ticked[1]) << "the box opens ticked whatever the setting says";
    EXPECT_EQ(showTipAfterClick[1], QStringLiteral("0"));

    // Ticked again from the menu item: the next start shows them once more.
    startupItem->trigger();
    EXPECT_EQ(ReadText(kShowTip), QStringLiteral("1"));
    TfrmMain third;
    third.FormShow();
    EXPECT_EQ(shownTips.size(), 3u);
}

} // namespace
