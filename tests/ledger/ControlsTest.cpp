#include "ledger/controls/RealEdit.h"
#include "ledger/controls/SlideTrayButton.h"
#include "store/Encodings.h"

#include <QFocusEvent>
#include <QImage>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <clocale>
#include <gtest/gtest.h>

namespace {

void FocusIn(QWidget& w)
{
    QFocusEvent event(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&w, &event);
}

void FocusOut(QWidget& w, Qt::FocusReason reason = Qt::TabFocusReason)
{
    QFocusEvent event(QEvent::FocusOut, reason);
    QCoreApplication::sendEvent(&w, &event);
}

// Types into the field from empty, as a person would, and leaves it.
QString TypeAndLeave(TRealEdit& edit, const QString& keys)
{
    FocusIn(edit);
    edit.clear();
    QTest::keyClicks(&edit, keys);
    FocusOut(edit);
    return edit.text();
}

TEST(RealEdit, StartsAtZeroWithTwoDecimalsAndNoNegatives)
{
    TRealEdit edit;
    EXPECT_EQ(edit.text(), QStringLiteral("0.00"));
    EXPECT_EQ(edit.LastAcceptedText(), QStringLiteral("0.00"));
    EXPECT_EQ(edit.DecimalPlaces(), 2);
    EXPECT_FALSE(edit.AllowNegatives());
}

TEST(RealEdit, TypedTextIsFilteredAndNormalisedOnLeaving)
{
    TRealEdit edit;
    EXPECT_EQ(TypeAndLeave(edit, QStringLiteral("12.345")), QStringLiteral("12.34"));
    EXPECT_EQ(TypeAndLeave(edit, QStringLiteral("-1,a5")), QStringLiteral("15.00"))
        << "-, comma and letters are refused";
    EXPECT_EQ(TypeAndLeave(edit, QStringLiteral(".5")), QStringLiteral("0.50"));
    edit.SetAllowNegatives(true);
    EXPECT_EQ(TypeAndLeave(edit, QStringLiteral("-.5")), QStringLiteral("-0.50"));
    EXPECT_EQ(edit.IntValue(), -50);
}

TEST(RealEdit, AnUnreadableEntryFallsBackToTheTextItHadOnEntering)
{
    TRealEdit edit;
    edit.setText(QStringLiteral("42"));
    FocusIn(edit); // normalises, then remembers
    EXPECT_EQ(edit.LastAcceptedText(), QStringLiteral("42.00"));
    edit.clear();
    FocusOut(edit);
    EXPECT_EQ(edit.text(), QStringLiteral("42.00"));
    // Pasted text is not filtered; the next normalisation deals with it.
    edit.setText(QStringLiteral("-"));
    EXPECT_DOUBLE_EQ(edit.RealValue(), 42.0);
    edit.setText(QStringLiteral("-5"));
    EXPECT_EQ(edit.IntValue(), 500);
}

TEST(RealEdit, EnterNormalisesAndLeavingTellsTheDialog)
{
    TRealEdit edit;
    QSignalSpy exited(&edit, &TRealEdit::Exited);
    FocusIn(edit);
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("7.1"));
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.text(), QStringLiteral("7.10"));
    EXPECT_EQ(exited.count(), 0);
    // A menu or another window taking the focus is no leaving of the field.
    FocusOut(edit, Qt::PopupFocusReason);
    FocusOut(edit, Qt::ActiveWindowFocusReason);
    EXPECT_EQ(exited.count(), 0);
    FocusOut(edit, Qt::MouseFocusReason);
    EXPECT_EQ(exited.count(), 1);
}

TEST(RealEdit, SettersNormalise)
{
    TRealEdit edit;
    edit.SetIntValue(7);
    EXPECT_EQ(edit.text(), QStringLiteral("0.07"));
    edit.SetIntValue(1234);
    EXPECT_EQ(edit.text(), QStringLiteral("12.34"));
    edit.SetRealValue(1.239);
    EXPECT_EQ(edit.text(), QStringLiteral("1.23"));
    // An exponent is no number to the field: it falls back to the last accepted text.
    edit.SetRealValue(1e20);
    EXPECT_EQ(edit.text(), QStringLiteral("0.00"));
    edit.setText(QStringLiteral("007"));
    EXPECT_EQ(edit.IntValue(), 700);
    EXPECT_EQ(edit.text(), QStringLiteral("007.00"));

    edit.setText(QStringLiteral("-5"));
    edit.SetAllowNegatives(false);
    EXPECT_EQ(edit.text(), QStringLiteral("5.00"));
    edit.SetDecimalPlaces(-1);
    EXPECT_EQ(edit.DecimalPlaces(), 2);
    edit.setText(QStringLiteral("3.9"));
    edit.SetDecimalPlaces(0);
    EXPECT_EQ(edit.text(), QStringLiteral("3"));
    EXPECT_EQ(TypeAndLeave(edit, QStringLiteral("1.5")), QStringLiteral("15")) << "the point cannot be typed";
    EXPECT_EQ(edit.IntValue(), 15);
}

TEST(RealEdit, AnAmountBeyondTheRangeIsAConversionError)
{
    TRealEdit edit;
    edit.setText(QStringLiteral("99999999999"));
    EXPECT_THROW(edit.IntValue(), EConvertError);
}

// A locale whose decimal separator is a comma, for the whole program and, where the system has it, for the
// C library.
class DecimalCommaLocale
{
public:
    DecimalCommaLocale() : m_saved(QLocale()), m_savedC(std::setlocale(LC_ALL, nullptr))
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    ~DecimalCommaLocale()
    {
        QLocale::setDefault(m_saved);
        std::setlocale(LC_ALL, m_savedC.c_str());
    }

private:
    QLocale m_saved;
    std::string m_savedC;
};

TEST(RealEdit, AmountsUseAPointUnderADecimalCommaLocale)
{
    DecimalCommaLocale german;
    ASSERT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    TRealEdit edit;
    EXPECT_EQ(TypeAndLeave(edit, QStringLiteral("12,5")), QStringLiteral("125.00"));
    EXPECT_EQ(TypeAndLeave(edit, QStringLiteral("12.5")), QStringLiteral("12.50"));
    EXPECT_DOUBLE_EQ(edit.RealValue(), 12.5);
    edit.SetRealValue(1234.5);
    EXPECT_EQ(edit.text(), QStringLiteral("1234.50"));
    edit.SetRealValue(57.99999999999999);
    EXPECT_EQ(edit.text(), QStringLiteral("58.00"));
    EXPECT_EQ(edit.IntValue(), 5800);
}

// ----------------------------------------------------------------------------------------------------------

TEST(SlideTrayButton, RefusesGripSizesThatDoNotFit)
{
    TSlideTrayButton button;
    EXPECT_EQ(button.size(), QSize(10, 100));
    EXPECT_EQ(button.GripSize(), 40);
    button.resize(10, 193);
    for (int refused : {15, 250, 194, 0, -4, 19})
        button.SetGripSize(refused);
    EXPECT_EQ(button.GripSize(), 40);
    for (int taken : {20, 193, 100}) {
        button.SetGripSize(taken);
        EXPECT_EQ(button.GripSize(), taken);
    }
}

// A button 10 x 193 with a grip of 100, painted in a palette whose 3D colours are easy to tell apart.
struct PaintedButton
{
    PaintedButton()
    {
        QPalette pal = button.palette();
        pal.setColor(QPalette::Light, Qt::white);
        pal.setColor(QPalette::Dark, Qt::darkGray);
        pal.setColor(QPalette::Shadow, Qt::black);
        button.setPalette(pal);
        button.SetColor(QColor(200, 180, 100));
        button.resize(10, 193);
        button.SetGripSize(100);
    }
    QImage Picture() { return button.grab().toImage(); }
    TSlideTrayButton button;
};

TEST(SlideTrayButton, IsPaintedFromThePalettesThreeDColours)
{
    PaintedButton b;
    const QImage raised = b.Picture();
    // The ridges above the grip: highlight, fill colour, shadow, from the left.
    EXPECT_EQ(raised.pixelColor(7, 12), QColor(Qt::white));
    EXPECT_EQ(raised.pixelColor(8, 12), QColor(200, 180, 100));
    EXPECT_EQ(raised.pixelColor(9, 12), QColor(Qt::darkGray));
    EXPECT_EQ(raised.pixelColor(3, 12), QColor(Qt::white));
    // The grip lines: from y = 96 - 50 + 10 + 4 = 60, light over dark.
    EXPECT_EQ(raised.pixelColor(4, 60), QColor(Qt::white));
    EXPECT_EQ(raised.pixelColor(4, 61), QColor(Qt::darkGray));
    // Raised: the right edge of the grip in the dark shadow.
    EXPECT_EQ(raised.pixelColor(9, 96), QColor(Qt::black));
}

TEST(SlideTrayButton, LooksSunkenWhileHeldAndClicksOnRelease)
{
    PaintedButton b;
    QSignalSpy clicked(&b.button, &TSlideTrayButton::clicked);
    QTest::mousePress(&b.button, Qt::LeftButton, {}, QPoint(5, 96));
    EXPECT_TRUE(b.button.Pressed());
    EXPECT_EQ(b.Picture().pixelColor(9, 96), QColor(Qt::white));
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseRelease(&b.button, Qt::LeftButton, {}, QPoint(5, 96));
    EXPECT_FALSE(b.button.Pressed());
    EXPECT_EQ(b.Picture().pixelColor(9, 96), QColor(Qt::black));
    EXPECT_EQ(clicked.count(), 1);
    // Released away from the button: no click.
    QTest::mousePress(&b.button, Qt::LeftButton, {}, QPoint(5, 96));
    QTest::mouseRelease(&b.button, Qt::LeftButton, {}, QPoint(50, 300));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_FALSE(b.button.Pressed());
}

} // namespace
