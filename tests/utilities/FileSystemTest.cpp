#include "utilities/FileSystem.h"

#include <gtest/gtest.h>

#include "tests/TestSupport.h"
#include "utilities/SetupError.h"

namespace {

// Every byte as stored, line ends and NULs included; a file over the limit
// is left unread, and one that cannot be opened is named with the reason.
TEST(WholeFiles, ReadEveryByteOrSayWhyNot)
{
    const TTempFolder folder;
    const std::string text("line\r\nnext\nNUL\0end\r", 19);
    const std::string path = folder.Put("text.txt", TextBytes(text));
    EXPECT_EQ(files::ReadWholeFile(path), text);
    EXPECT_EQ(files::ReadWholeFile(folder.Put("empty.txt", {})), "");

    std::string read = "left as it was";
    EXPECT_TRUE(files::ReadFileWithin(path, 19, read));
    EXPECT_EQ(read, text);
    read = "left as it was";
    EXPECT_FALSE(files::ReadFileWithin(path, 18, read));
    EXPECT_EQ(read, "left as it was");

    const std::string missing = folder / "missing.txt";
    EXPECT_FALSE(files::ReadFileWithin(missing, 100, read));
    try {
        files::ReadWholeFile(missing);
        ADD_FAILURE() << "no error for " << missing;
    } catch (const ESetupError& error) {
        const std::string said = error.what();
        EXPECT_EQ(said.rfind("Cannot open file \"" + missing + "\". ", 0), 0u) << said;
        EXPECT_GT(said.size(), missing.size() + 20) << "the system's reason follows: " << said;
    }
}

}  // namespace
