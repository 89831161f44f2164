#include "ledger/PartyNames.h"

#include <QComboBox>
#include <gtest/gtest.h>

namespace {

struct MatchCase
{
    const char* name;
    const char* typed;
    int index; // the item chosen, -1 for none
    const char* shown;
};

class PartyMatchTest : public ::testing::TestWithParam<MatchCase>
{
};

// The list holds two parties whose names differ only in case, as a person may keep them.
TEST_P(PartyMatchTest, TheTypedNameFindsItsParty)
{
    const MatchCase& c = GetParam();
    QComboBox box;
    box.setEditable(true);
    box.addItem(QStringLiteral("Acme Corp"), 2);
    box.addItem(QStringLiteral("Bob"), 3);
    box.addItem(QStringLiteral("bob"), 4);
    box.setCurrentIndex(-1);
    box.setEditText(QString::fromUtf8(c.typed));
    party_names::MatchPartyText(box);
    EXPECT_EQ(box.currentIndex(), c.index);
    EXPECT_EQ(box.currentText(), QString::fromUtf8(c.shown));
}

INSTANTIATE_TEST_SUITE_P(Names, PartyMatchTest,
                         ::testing::Values(MatchCase{"ExactFirstOfTwo", "Bob", 1, "Bob"},
                                           MatchCase{"ExactSecondOfTwo", "bob", 2, "bob"},
                                           MatchCase{"OtherCaseTakesTheFirst", "BOB", 1, "Bob"},
                                           MatchCase{"OtherCaseOfOne", "acme corp", 0, "Acme Corp"},
                                           MatchCase{"NewNameStaysAsTyped", "Bobby", -1, "Bobby"}),
                         [](const ::testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.name); });

} // namespace
