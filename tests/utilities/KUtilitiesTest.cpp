#include "utilities/KUtilities.h"

#include <gtest/gtest.h>

namespace {

TEST(LineSplit, SplitsAtTheFirstEqualsSignWithoutTrimming)
{
    const struct {
        const char* line;
        const char* key;
        const char* value;
    } cases[] = {
        {"Language=German", "Language", "German"},
        {"a=b=c", "a", "b=c"},
        {"=x", "", "x"},
        {"end", "", "end"},
        {"Key = Value", "Key ", " Value"},
        {"", "", ""},
        {"trailing=", "trailing", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyOfLine(c.line), c.key) << c.line;
        EXPECT_EQ(ValueOfLine(c.line), c.value) << c.line;
    }
}

TEST(ComponentNames, CountUpFromOne)
{
    EXPECT_EQ(NewComponentName(), "Vendrel1");
    EXPECT_EQ(NewComponentName(), "Vendrel2");
    EXPECT_EQ(NewComponentName(), "Vendrel3");
}

}  // namespace
