#include "budget/SummaryGrid.h"

#include "store/SQLiteDatabase.h"
#include "tests/support/TestSupport.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

using budget::TSummaryRow;

// A list of rows (ROWID and name, in list order), the rows a sum query gave, and the texts each listed row
// shows afterwards.
struct MergeCase
{
    const char* name;
    std::vector<std::pair<qint64, const char*>> listed;
    const char* sums; // the VALUES of (ROWID, Name, sum) rows, in the query's order
    QStringList expected;
};

class MergeSumsTest : public ::testing::TestWithParam<MergeCase>
{
};

TEST_P(MergeSumsTest, EverySumLandsInTheRowOfItsRowid)
{
    const MergeCase& c = GetParam();
    testing_support::TempProgramDir dir;
    TSQLiteDatabase db;
    db.SetFileName(dir.File(QStringLiteral("sums.db")));
    db.Open();
    ASSERT_EQ(db.ExecSQL(QStringLiteral("SELECT * FROM (VALUES %1)").arg(QLatin1String(c.sums))), 0);

    std::vector<TSummaryRow> rows;
    for (const auto& [key, name] : c.listed)
        rows.push_back({key, QString::fromLatin1(name), {QStringLiteral("0.00"), QStringLiteral("0.00")}});
    budget::MergeSums(rows, 1, db);
    QStringList shown;
    for (const TSummaryRow& row : rows) {
        EXPECT_EQ(row.figures[0], QStringLiteral("0.00")) << "only the merged column changes";
        shown << row.figures[1];
    }
    EXPECT_EQ(shown, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MergeSumsTest,
                         ::testing::Values(MergeCase{"RowsWithoutSumsKeepTheirZero",
                                                     {{4, "Car"}, {2, "Food"}, {7, "Rent"}, {1, "Unbudgeted"}},
                                                     "(2, 'Food', -1250), (1, 'Unbudgeted', 5)",
                                                     {"0.00", "-12.50", "0.00", "0.05"}},
                                           MergeCase{"TwoRowsOfOneNameOrderedOtherwiseByTheSumQuery",
                                                     {{1, "Ann"}, {2, "Bob"}, {3, "Bob"}, {4, "Cy"}},
                                                     "(3, 'Bob', 300), (2, 'Bob', 200), (4, 'Cy', 400)",
                                                     {"0.00", "2.00", "3.00", "4.00"}},
                                           MergeCase{"ASumOfARowTheListDoesNotHoldIsLeftOut",
                                                     {{1, "Ann"}, {2, "Bob"}},
                                                     "(9, 'Abe', 100), (2, 'Bob', 7)",
                                                     {"0.00", "0.07"}},
                                           MergeCase{"ASumBeyondOneStoredValue",
                                                     {{1, "Unbudgeted"}},
                                                     "(1, 'Unbudgeted', 300000000000)",
                                                     {"3000000000.00"}}),
                         [](const ::testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

TEST(OneMonthBefore, KeepsTheDayOrTakesTheLastDayOfAShorterMonth)
{
    const std::pair<QDate, QDate> cases[] = {
        {QDate(2026, 12, 10), QDate(2026, 11, 10)}, {QDate(2026, 1, 15), QDate(2025, 12, 15)},
        {QDate(2026, 3, 31), QDate(2026, 2, 28)},   {QDate(2028, 3, 31), QDate(2028, 2, 29)},
        {QDate(2026, 5, 31), QDate(2026, 4, 30)},   {QDate(2026, 3, 1), QDate(2026, 2, 1)},
    };
    for (const auto& [day, before] : cases)
        EXPECT_EQ(budget::OneMonthBefore(day), before) << day.toString(Qt::ISODate).toStdString();
}

TEST(ShowMoneyTotal, RedBelowZeroAndZeroForASumOverNoRows)
{
    QLabel label;
    const struct
    {
        const char* stored;
        const char* text;
        bool red;
    } cases[] = {{"-150", "-1.50", true}, {"150", "1.50", false}, {"", "0.00", false}, {"0", "0.00", false}};
    for (const auto& c : cases) {
        budget::ShowMoneyTotal(label, QString::fromLatin1(c.stored));
        EXPECT_EQ(label.text(), QString::fromLatin1(c.text));
        EXPECT_EQ(label.palette().color(QPalette::WindowText), c.red ? QColor(240, 0, 0) : QColor(Qt::black))
            << c.stored;
    }
}

} // namespace
