#include "tools/PackProgress.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kBarWidth = 20;
constexpr int64_t kUnitStep = 1024;  // as Windows counts file sizes
constexpr int64_t kMostUnitsShown = 9999;
const char* const kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};

std::string Fitted(std::string line)
{
    line.resize(kProgressLineWidth, ' ');
    return line;
}

std::string Bar(int filled)
{
    const size_t done = static_cast<size_t>(filled), left = static_cast<size_t>(kBarWidth - filled);
    return "[" + std::string(done, '#') + std::string(left, ' ') + "] ";
}

// Whole parts done never reach the total before all is done, so the bar shows 100% only at the end.
int PercentageDone(const TPackCount& done, const TPackCount& total)
{
    if (total.Bytes > 0) return static_cast<int>(std::min(done.Bytes, total.Bytes) * 100 / total.Bytes);
    if (total.Files > 0) return static_cast<int>(std::min(done.Files, total.Files) * 100 / total.Files);
    return 100;
}

std::string BytesOfTotal(int64_t done, int64_t total)
{
    size_t unit = 0;
    int64_t scale = 1;
    while (total / scale > kMostUnitsShown && unit + 1 < std::size(kUnits)) {
        scale *= kUnitStep;
        ++unit;
    }
    // Both rounded alike, so that the figures meet when all is done.
    const auto inUnits = [scale](int64_t bytes) { return WithThousands((bytes + scale / 2) / scale); };
    return inUnits(done) + " of " + inUnits(total) + " " + kUnits[unit];
}

}  // namespace

std::string WithThousands(int64_t value)
{
    std::string digits = std::to_string(value);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::string BarLine(int percentage, const std::string& text)
{
    const int shown = std::clamp(percentage, 0, 100);
    std::string figure = std::to_string(shown) + "% ";
    figure.insert(0, 5 - figure.size(), ' ');
    return Fitted(Bar(shown * kBarWidth / 100) + figure + text);
}

std::string PackProgressLine(const TPackCount& done, const TPackCount& total, const std::string& name)
{
    return BarLine(PercentageDone(done, total), WithThousands(done.Files) + " of " + WithThousands(total.Files) +
                                                    " files, " + BytesOfTotal(done.Bytes, total.Bytes) + "  " + name);
}

std::string PhaseLine(const std::string& text)
{
    return Fitted(Bar(0) + "     " + text);
}
