#include "platform/HelpKey.h"
#include "ui/GridLook.h"
#include "ui/TextFilters.h"

#include <QDialog>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A small grid in the shared look, drawn into an image.
QImage DrawGrid(const QStringList& amounts, int selectedRow = -1)
{
    QTableWidget grid(int(amounts.size()), 1);
    grid.horizontalHeader()->hide();
    grid.verticalHeader()->hide();
    grid.setShowGrid(false);
    grid.setColumnWidth(0, 80);
    auto* delegate = new ui::TGridCellDelegate(&grid);
    delegate->SetMoneyColumns({0});
    grid.setItemDelegate(delegate);
    for (int row = 0; row < amounts.size(); ++row)
        grid.setItem(row, 0, new QTableWidgetItem(amounts[row]));
    grid.resize(100, 200);
    if (selectedRow >= 0)
        grid.selectRow(selectedRow);
    return grid.viewport()->grab().toImage();
}

bool RowHasColour(const QImage& image, int y0, int y1, const QColor& colour)
{
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < 80; ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

TEST(GridLook, ShadesOddRowsAndDrawsNegativeMoneyInRed)
{
    const QImage image = DrawGrid({QStringLiteral("1.00"), QStringLiteral("2.00"), QStringLiteral("-3.00")});
    const int rowHeight = QTableWidget().verticalHeader()->defaultSectionSize();
    // Row 1 is shaded right from its top-left corner; rows 0 and 2 are not.
    EXPECT_EQ(image.pixelColor(0, rowHeight + 1), ui::StripeColour());
    EXPECT_NE(image.pixelColor(0, 1), ui::StripeColour());
    EXPECT_NE(image.pixelColor(0, 2 * rowHeight + 1), ui::StripeColour());
    // Only the negative amount is drawn in red.
    EXPECT_FALSE(RowHasColour(image, 0, 2 * rowHeight, ui::NegativeMoneyColour()));
    EXPECT_TRUE(RowHasColour(image, 2 * rowHeight, 3 * rowHeight, ui::NegativeMoneyColour()));
}

// Where the text drawn in a row begins: the first dark pixel from the left and from the top, measured from
// the row's top-left corner; (-1, -1) for a row without text.
QPoint TextCorner(const QImage& image, int top, int height)
{
    int left = -1, first = -1;
    for (int y = top; y < top + height; ++y)
        for (int x = 0; x < 80; ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                left = left < 0 ? x : std::min(left, x);
                first = first < 0 ? y - top : first;
            }
    return QPoint(left, first);
}

TEST(GridLook, TextStandsAtTheSamePlaceInShadedAndPlainRows)
{
    const QImage image = DrawGrid({QStringLiteral("8.00"), QStringLiteral("8.00"), QStringLiteral("8.00")});
    const int rowHeight = QTableWidget().verticalHeader()->defaultSectionSize();
    const QPoint plain = TextCorner(image, 0, rowHeight);
    ASSERT_GE(plain.x(), ui::kCellTextOffset);
    EXPECT_EQ(TextCorner(image, rowHeight, rowHeight), plain);
    EXPECT_EQ(TextCorner(image, 2 * rowHeight, rowHeight), plain);
}

TEST(GridLook, ASelectedOddRowIsNotShaded)
{
    const QImage image = DrawGrid({QStringLiteral("1.00"), QStringLiteral("2.00")}, 1);
    const int rowHeight = QTableWidget().verticalHeader()->defaultSectionSize();
    EXPECT_NE(image.pixelColor(0, rowHeight + 1), ui::StripeColour());
}

TEST(HelpKey, F1IsActedOnAtReleaseInControlsMadeLater)
{
    QDialog dialog;
    int shown = 0;
    new platform::THelpKey(&dialog, [&shown] { ++shown; });
    // A field created after the watcher, as a grid creates its cell editor.
    auto* field = new QLineEdit(&dialog);
    QTest::keyPress(field, Qt::Key_F1);
    EXPECT_EQ(shown, 0) << "help must wait for the key's release";
    QTest::keyRelease(field, Qt::Key_F1);
    EXPECT_EQ(shown, 1);
    QTest::keyRelease(field, Qt::Key_F2);
    EXPECT_EQ(shown, 1);

    // A dialog opened over the window shows its own topic, not the window's.
    QDialog inner(&dialog);
    int innerShown = 0;
    new platform::THelpKey(&inner, [&innerShown] { ++innerShown; });
    auto* innerField = new QLineEdit(&inner);
    QTest::keyRelease(innerField, Qt::Key_F1);
    EXPECT_EQ(innerShown, 1);
    EXPECT_EQ(shown, 1);
}

TEST(TextFilters, WildcardsAreRefusedAsKeysAndDroppedFromPastedText)
{
    QLineEdit field;
    new ui::TCharacterFilter(&field, ui::NoSqlWildcards);
    QTest::keyClicks(&field, QStringLiteral("50% \"off\"_now"));
    EXPECT_EQ(field.text(), QStringLiteral("50 offnow"));
    field.clear();
    field.insert(QStringLiteral("a_b%c\"d"));
    EXPECT_EQ(field.text(), QStringLiteral("abcd"));
    EXPECT_EQ(ui::WithoutSqlWildcards(QStringLiteral("a_b%c\"d e")), QStringLiteral("abcd e"));
}

} // namespace
