#pragma once

// Whether a description that stands for every key really uses each key of
// the table: a test of the table is only as good as the lines it reads.

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "setup/SetupFile.h"
#include "setup/SetupKeys.h"

inline void ExpectEveryKeyRead(const std::string& text)
{
    std::set<const TSetupKey*> read;
    for (const TLineReading& line : ReadSetupFileThoroughly(text).Readings)
        if (line.Key) read.insert(line.Key);
    for (const TSetupKey& key : SetupKeys())
        EXPECT_TRUE(read.count(&key)) << "no line of the " << BlockName(key.Block) << " block says " << key.Name;
}
