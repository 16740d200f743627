// The progress line as a person watching a build reads it: the bar, the
// percentage, files and bytes of their totals in a readable unit, the name,
// always one line of the same width, so that redrawing it in place leaves
// nothing of a longer line behind and never wraps.

#include "tools/PackProgress.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kMiB = 1024 * 1024;

std::string Padded(std::string text)
{
    text.resize(kProgressLineWidth, ' ');
    return text;
}

TEST(PackProgress, ShowsFilesAndBytesOfTheirTotals)
{
    const struct {
        const char* what;
        TPackCount done, total;
        std::string name, expected;
    } cases[] = {
        {"the issue's example", {1234, 420 * kMiB}, {5000, 1000 * kMiB}, "name",
         "[########            ]  42% 1,234 of 5,000 files, 420 of 1,000 MB  name"},
        {"a part short of the end is not yet 100%", {2, 1024 * kMiB - 1}, {3, 1024 * kMiB}, "data3.bin",
         "[################### ]  99% 2 of 3 files, 1,024 of 1,024 MB  data3.bin"},
        {"the figures meet at the end", {2, 86 * kMiB + 700 * 1024}, {2, 86 * kMiB + 700 * 1024}, "",
         "[####################] 100% 2 of 2 files, 87 of 87 MB  "},
        {"all done", {3, 1024 * kMiB}, {3, 1024 * kMiB}, "",
         "[####################] 100% 3 of 3 files, 1,024 of 1,024 MB  "},
        {"a small payload in bytes", {1, 2500}, {2, 5000}, "b.txt",
         "[##########          ]  50% 1 of 2 files, 2,500 of 5,000 bytes  b.txt"},
        {"one past four digits of bytes: kilobytes, the total rounded", {1, 5000}, {2, 10000}, "b.txt",
         "[##########          ]  50% 1 of 2 files, 5 of 10 KB  b.txt"},
        {"beyond 9,999 MB: gigabytes", {1000, 5 * 1024 * kMiB}, {12345, 20 * 1024 * kMiB}, "x",
         "[#####               ]  25% 1,000 of 12,345 files, 5 of 20 GB  x"},
        {"empty files only: counted by files", {1, 0}, {4, 0}, "empty",
         "[#####               ]  25% 1 of 4 files, 0 of 0 bytes  empty"},
        {"nothing to pack", {0, 0}, {0, 0}, "", "[####################] 100% 0 of 0 files, 0 of 0 bytes  "},
        {"a long name cut at the line's end", {0, 0}, {1, 10}, std::string(100, 'n'),
         "[                    ]   0% 0 of 1 files, 0 of 10 bytes  " + std::string(100, 'n')},
    };
    for (const auto& c : cases) {
        const std::string line = PackProgressLine(c.done, c.total, c.name);
        EXPECT_EQ(line, Padded(c.expected)) << c.what;
        EXPECT_EQ(line.size(), kProgressLineWidth) << c.what;
    }
}

TEST(PackProgress, BarsAndPhasesKeepTheWidth)
{
    EXPECT_EQ(BarLine(7, "Setup.ini"), Padded("[#                   ]   7% Setup.ini"));
    EXPECT_EQ(BarLine(140, "over"), Padded("[####################] 100% over"));
    EXPECT_EQ(BarLine(-3, "under"), Padded("[                    ]   0% under"));
    EXPECT_EQ(PhaseLine("checking app/Setup.ini"), Padded("[                    ]      checking app/Setup.ini"));
}

}  // namespace
