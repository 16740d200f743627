#pragma once

// The packer's progress line: what a person watching a long build reads on
// the terminal, redrawn in place, so always one line of the same width.

#include <cstddef>
#include <cstdint>
#include <string>

// Fits a terminal of 80 columns with the cursor after it.
constexpr size_t kProgressLineWidth = 79;

// 1,234,567
std::string WithThousands(int64_t value);

struct TPackCount {
    int64_t Files = 0;
    int64_t Bytes = 0;
};

// "[########            ]  42% 1,234 of 5,000 files, 420 of 1,000 MB  name",
// the bytes in the unit that keeps the total at four digits or fewer, cut or
// padded to the line's width.
std::string PackProgressLine(const TPackCount& done, const TPackCount& total, const std::string& name);

// The bar at a percentage with a text beside it, as the packer's other commands show progress.
std::string BarLine(int percentage, const std::string& text);

// A step with nothing to count, such as planning or checking, with the bar empty.
std::string PhaseLine(const std::string& text);
