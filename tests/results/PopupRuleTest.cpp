#include "results/PopupRule.h"

#include <gtest/gtest.h>

#include <vector>

namespace nuvero {
namespace {

TEST(PopupRule, EnabledStates)
{
    struct Case {
        bool rowSelected, rusChecked, rusSearchFlag;
        PopupRule expected;
    };
    const std::vector<Case> cases = {
        { false, false, false, { false, false } },
        { true, false, false, { true, false } },
        { false, true, false, { false, false } },
        { true, true, false, { true, false } },
        { false, false, true, { false, false } },
        { true, false, true, { true, false } },
        { false, true, true, { false, true } },
        { true, true, true, { true, true } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(PopupRule::evaluate(c.rowSelected, c.rusChecked, c.rusSearchFlag), c.expected)
            << c.rowSelected << c.rusChecked << c.rusSearchFlag;
}

} // namespace
} // namespace nuvero
