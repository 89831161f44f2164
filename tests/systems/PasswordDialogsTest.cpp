#include "systems/PasswordDialogs.h"

#include "platform/Help.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <functional>

namespace {

using testing_support::ScriptedMessages;

const QString kMismatch = QStringLiteral("Your retyped password does not match your requested password.\r"
                                         "Please type your password again.");

// Shows the dialog as the active window, so that focus and Tab behave as on the desktop.
bool ShowActive(QDialog& dialog)
{
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
}

QString FocusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

TEST(PasswordDialogsTest, DialogsHaveTheirCaptionsSizesAndComponents)
{
    TfrmPasswordDialog ask;
    TfrmPass settings;
    struct Form
    {
        QDialog* dialog;
        const char* name;
        const char* caption;
    };
    for (const Form& f :
         {Form{&ask, "frmPasswordDialog", "Enter password"}, Form{&settings, "frmPass", "Password settings"}}) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(f.dialog->objectName(), QLatin1String(f.name));
        EXPECT_EQ(f.dialog->windowTitle(), QLatin1String(f.caption));
        EXPECT_EQ(f.dialog->minimumSize(), QSize(490, 306));
        EXPECT_EQ(f.dialog->maximumSize(), QSize(490, 306));
        const auto* side = f.dialog->findChild<QLabel*>(QStringLiteral("imgSide"));
        ASSERT_NE(side, nullptr);
        EXPECT_EQ(side->geometry(), QRect(0, 0, 172, 306));
    }

    struct Component
    {
        QWidget* widget;
        const char* name;
        const char* text;
    };
    auto textOf = [](QWidget* w) {
        if (auto* label = qobject_cast<QLabel*>(w))
            return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            return button->text();
        return QString();
    };
    const Component components[] = {
        {ask.edPassword, "edPassword", ""},
        {ask.btnOK, "btnOK", "OK"},
        {ask.btnCancel, "btnCancel", "Cancel"},
        {settings.lblInstructions, "lblInstructions", ""},
        {settings.lblNameOldPass, "lblNameOldPass", "System name:"},
        {settings.edNameOldPass, "edNameOldPass", ""},
        {settings.chkNoPass, "chkNoPass", "No password"},
        {settings.lblNewPass, "lblNewPass", "New password:"},
        {settings.edNewPass, "edNewPass", ""},
        {settings.lblRetype, "lblRetype", "Retype password:"},
        {settings.edRetype, "edRetype", ""},
        {settings.btnOK, "btnOK", "OK"},
        {settings.btnCancel, "btnCancel", "Cancel"},
    };
    for (const Component& c : components) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.widget, nullptr);
        EXPECT_EQ(c.widget->objectName(), QLatin1String(c.name));
        EXPECT_EQ(textOf(c.widget), QLatin1String(c.text));
    }
    EXPECT_NE(ask.findChild<QLabel*>(QStringLiteral("lblPassword")), nullptr);
    EXPECT_EQ(ask.findChild<QLabel*>(QStringLiteral("lblPassword"))->text(), QStringLiteral("Enter password:"));
    for (QLineEdit* secret : {ask.edPassword, settings.edNewPass, settings.edRetype}) {
        SCOPED_TRACE(secret->objectName().toStdString());
        EXPECT_EQ(secret->echoMode(), QLineEdit::Password);
        EXPECT_EQ(secret->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, secret), '*');
    }
    EXPECT_EQ(settings.edNameOldPass->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(ask.btnOK->isDefault());
    EXPECT_TRUE(settings.btnOK->isDefault());
    EXPECT_TRUE(settings.lblInstructions->wordWrap());
}

TEST(PasswordDialogsTest, InstructionsBreakTheirLinesAtCarriageReturns)
{
    TfrmPass settings;
    settings.SetInstructions(QStringLiteral("Name the system.\r\nA password is optional.\rLetters and digits."));
    EXPECT_EQ(settings.lblInstructions->text(),
              QStringLiteral("Name the system.\nA password is optional.\nLetters and digits."));
}

// Each field keeps its refused characters out however they come: typed, inserted in the middle of what
// is there, or pasted from the clipboard.
TEST(PasswordDialogsTest, FieldsRefuseTheirCharacters)
{
    TfrmPasswordDialog ask;
    TfrmPass settings;
    enum class Way
    {
        Typed,
        InsertedAtOne,
        Pasted
    };
    struct Case
    {
        QLineEdit* field;
        Way way;
        const char* before; // already in the field; insertion and paste go in after its first character
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {ask.edPassword, Way::Typed, "", "a\"b%c_d", "abcd"},
        {ask.edPassword, Way::Typed, "", "Hello World-1!", "Hello World-1!"},
        {ask.edPassword, Way::InsertedAtOne, "az", "\"b%c_", "abcz"},
        {ask.edPassword, Way::Pasted, "", "%x\"y_", "xy"},
        {settings.edNameOldPass, Way::Typed, "", "My \"Home\" 100%_", "My Home 100"},
        {settings.edNameOldPass, Way::InsertedAtOne, "ad", "b_c", "abcd"},
        {settings.edNameOldPass, Way::Pasted, "", "Holiday_2026", "Holiday2026"},
        {settings.edNewPass, Way::Typed, "", "ab1!-x Y", "ab1xY"},
        {settings.edNewPass, Way::InsertedAtOne, "az", "b-9 %", "ab9z"},
        {settings.edNewPass, Way::Pasted, "", "p\u00e4ss w0rd\t!", "pssw0rd"},
        {settings.edRetype, Way::Typed, "", "Zz9_\"%.", "Zz9"},
        {settings.edRetype, Way::Pasted, "", "A-B", "AB"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing_support::CaseName(i, c.input));
        c.field->setText(QString::fromUtf8(c.before));
        const QString input = QString::fromUtf8(c.input);
        switch (c.way) {
        case Way::Typed:
            QTest::keyClicks(c.field, input);
            break;
        case Way::InsertedAtOne:
            c.field->setCursorPosition(1);
            c.field->insert(input);
            break;
        case Way::Pasted:
            QApplication::clipboard()->setText(input);
            c.field->paste();
            break;
        }
        EXPECT_EQ(c.field->text(), QString::fromUtf8(c.expected));
        if (c.way == Way::InsertedAtOne) {
            // The cursor stays right after what was kept of the insertion.
            QTest::keyClicks(c.field, QStringLiteral("Q"));
            QString expected = QString::fromUtf8(c.expected);
            expected.insert(int(expected.size()) - 1, QLatin1Char('Q'));
            EXPECT_EQ(c.field->text(), expected);
        }
    }

    // Editing keys still edit in the letters-and-digits fields.
    settings.edNewPass->clear();
    QTest::keyClicks(settings.edNewPass, QStringLiteral("abc"));
    QTest::keyClick(settings.edNewPass, Qt::Key_Backspace);
    QTest::keyClick(settings.edNewPass, Qt::Key_Home);
    QTest::keyClick(settings.edNewPass, Qt::Key_Delete);
    EXPECT_EQ(settings.edNewPass->text(), QStringLiteral("b"));
}

TEST(PasswordDialogsTest, EnterInAFieldPressesOK)
{
    ScriptedMessages messages;
    TfrmPasswordDialog ask;
    ask.show();
    QTest::keyClicks(ask.edPassword, QStringLiteral("secret"));
    QTest::keyClick(ask.edPassword, Qt::Key_Return);
    EXPECT_EQ(ask.result(), QDialog::Accepted);
    EXPECT_FALSE(ask.isVisible());

    TfrmPass settings;
    settings.show();
    QTest::keyClicks(settings.edNewPass, QStringLiteral("abc"));
    QTest::keyClicks(settings.edRetype, QStringLiteral("abc"));
    QTest::keyClick(settings.edRetype, Qt::Key_Enter);
    EXPECT_EQ(settings.result(), QDialog::Accepted);
}

TEST(PasswordDialogsTest, NoPasswordTakesTheNewPasswordFieldsOutOfUse)
{
    TfrmPass settings;
    settings.show();
    const QColor window = QLineEdit().palette().color(QPalette::Base);
    const QColor face = settings.palette().color(QPalette::Button);
    ASSERT_NE(window, face) << "the style must tell the two colours apart for this test";
    QWidget* const dependents[] = {settings.lblNewPass, settings.edNewPass, settings.lblRetype, settings.edRetype};
    auto expectInUse = [&](bool inUse) {
        for (QWidget* w : dependents)
            EXPECT_EQ(w->isEnabled(), inUse) << w->objectName().toStdString();
        for (QLineEdit* field : {settings.edNewPass, settings.edRetype}) {
            // Base for every colour group: a disabled field is painted with the disabled group.
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                EXPECT_EQ(field->palette().color(group, QPalette::Base), inUse ? window : face)
                    << field->objectName().toStdString() << " group " << group;
        }
        EXPECT_TRUE(settings.edNameOldPass->isEnabled());
    };

    {
        SCOPED_TRACE("as constructed");
        EXPECT_FALSE(settings.chkNoPass->isChecked());
        expectInUse(true);
    }
    const std::pair<const char*, std::function<void(bool)>> ways[] = {
        {"by click", [&](bool) { QTest::mouseClick(settings.chkNoPass, Qt::LeftButton); }},
        {"by the program", [&](bool checked) { settings.chkNoPass->setChecked(checked); }},
    };
    for (const auto& [way, setNoPassword] : ways) {
        SCOPED_TRACE(way);
        setNoPassword(true);
        ASSERT_TRUE(settings.chkNoPass->isChecked());
        expectInUse(false);
        setNoPassword(false);
        ASSERT_FALSE(settings.chkNoPass->isChecked());
        expectInUse(true);
    }
}

TEST(PasswordDialogsTest, MismatchedRetypeAsksAgain)
{
    ScriptedMessages messages;
    messages.Expect(kMismatch);
    TfrmPass settings;
    const bool active = ShowActive(settings);
    settings.edNameOldPass->setText(QStringLiteral("Home"));
    QTest::keyClicks(settings.edNewPass, QStringLiteral("abc"));
    QTest::keyClicks(settings.edRetype, QStringLiteral("abd"));
    settings.btnOK->setFocus();
    settings.btnOK->click();

    EXPECT_EQ(messages.Pending(), 0);
    EXPECT_TRUE(settings.isVisible());
    EXPECT_NE(settings.result(), QDialog::Accepted);
    EXPECT_EQ(settings.edNewPass->text(), QString());
    EXPECT_EQ(settings.edRetype->text(), QString());
    EXPECT_EQ(settings.edNameOldPass->text(), QStringLiteral("Home"));
    if (active)
        EXPECT_EQ(FocusName(), QStringLiteral("edNewPass"));
    else
        ADD_FAILURE() << "the dialog never became the active window; focus not checked";

    // A second, matching try goes through.
    QTest::keyClicks(settings.edNewPass, QStringLiteral("abd"));
    QTest::keyClicks(settings.edRetype, QStringLiteral("abd"));
    settings.btnOK->click();
    EXPECT_EQ(settings.result(), QDialog::Accepted);
}

TEST(PasswordDialogsTest, OKAcceptsMatchingPasswordsOrNoPassword)
{
    struct Case
    {
        bool noPassword;
        const char* newPass;
        const char* retype;
    };
    const Case cases[] = {
        {false, "abc", "abc"},
        {false, "", ""},
        {true, "abc", "xyz"},
        {true, "abc", ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing_support::CaseName(i, c.retype));
        ScriptedMessages messages; // any box fails
        TfrmPass settings;
        settings.show();
        settings.edNewPass->setText(QLatin1String(c.newPass));
        settings.edRetype->setText(QLatin1String(c.retype));
        settings.chkNoPass->setChecked(c.noPassword);
        settings.btnOK->click();
        EXPECT_EQ(settings.result(), QDialog::Accepted);
        EXPECT_FALSE(settings.isVisible());
        EXPECT_EQ(settings.edNewPass->text(), QLatin1String(c.newPass));
    }
}

TEST(PasswordDialogsTest, CancelRejectsWithoutChecking)
{
    ScriptedMessages messages;
    TfrmPass settings;
    settings.show();
    settings.edNewPass->setText(QStringLiteral("abc"));
    settings.btnCancel->click();
    EXPECT_EQ(settings.result(), QDialog::Rejected);

    TfrmPasswordDialog ask;
    ask.show();
    ask.btnCancel->click();
    EXPECT_EQ(ask.result(), QDialog::Rejected);
}

TEST(PasswordDialogsTest, TabGoesThroughTheControlsInOrder)
{
    TfrmPasswordDialog ask;
    TfrmPass settings;
    struct Form
    {
        QDialog* dialog;
        std::vector<QString> order;
    };
    const Form forms[] = {
        {&ask, {"edPassword", "btnOK", "btnCancel", "edPassword"}},
        {&settings, {"edNameOldPass", "chkNoPass", "edNewPass", "edRetype", "btnOK", "btnCancel", "edNameOldPass"}},
    };
    for (const Form& f : forms) {
        SCOPED_TRACE(f.dialog->objectName().toStdString());
        ASSERT_TRUE(ShowActive(*f.dialog));
        std::vector<QString> seen{FocusName()};
        for (size_t i = 1; i < f.order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen.push_back(FocusName());
        }
        EXPECT_EQ(seen, f.order);
        f.dialog->hide();
    }
}

TEST(PasswordDialogsTest, DialogsOpenInTheMiddleOfTheDesktop)
{
    TfrmPasswordDialog ask;
    TfrmPass settings;
    for (QDialog* dialog : {static_cast<QDialog*>(&ask), static_cast<QDialog*>(&settings)}) {
        SCOPED_TRACE(dialog->objectName().toStdString());
        dialog->move(0, 0);
        dialog->show();
        const QPoint middle = dialog->screen()->availableGeometry().center();
        const QPoint centre = dialog->frameGeometry().center();
        EXPECT_LE((centre - middle).manhattanLength(), 2) << centre.x() << "," << centre.y();
    }
}

TEST(PasswordDialogsTest, F1AnywhereOpensThePasswordTopic)
{
    testing_support::TempProgramDir dir;
    QDir(dir.Path()).mkpath(QStringLiteral("help"));
    testing_support::WriteAll(dir.File(QStringLiteral("help/Password.htm")), "<html></html>");
    std::vector<QString> pages;
    platform::SetHelpViewer([&](const QString& page) { pages.push_back(QDir::cleanPath(page)); });
    ScriptedMessages messages;

    TfrmPasswordDialog ask;
    TfrmPass settings;
    const std::vector<QWidget*> targets = {&ask,
                                           ask.edPassword,
                                           ask.btnOK,
                                           ask.btnCancel,
                                           &settings,
                                           settings.edNameOldPass,
                                           settings.chkNoPass,
                                           settings.edNewPass,
                                           settings.edRetype,
                                           settings.btnOK,
                                           settings.lblInstructions};
    for (QWidget* target : targets) {
        SCOPED_TRACE(target->objectName().toStdString());
        pages.clear();
        QTest::keyPress(target, Qt::Key_F1);
        EXPECT_TRUE(pages.empty()) << "the topic opens when the key is let go";
        QTest::keyRelease(target, Qt::Key_F1);
        EXPECT_EQ(pages, std::vector<QString>{QDir::cleanPath(dir.File(QStringLiteral("help/Password.htm")))});
    }
    platform::SetHelpViewer({});
}

} // namespace
