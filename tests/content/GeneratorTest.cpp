// The generator is deterministic: run again into a fresh folder it writes
// exactly the bytes the build put into the game folder.
#include "content/support/ContentFiles.h"

#include "framework/platform/Files.h"
#include "framework/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;

TEST(ContentGenerator, SecondRunWritesTheSameBytes)
{
    const fs::path game = VELMORA_GAME_DIR;
    const fs::path generator = game.parent_path() / "content" / "velmora-content";
    ASSERT_TRUE(fs::exists(generator)) << generator;
    testfiles::TempFolder folder;
    const fs::path out = folder.path;
    std::string command = "'" + generator.string() + "' --out '" + out.string() + "' --language '" +
                          VELMORA_SOURCE_DIR + "/content/language.ini' --no-music > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (!entry.is_regular_file())
            continue;
        fs::path rel = fs::relative(entry.path(), out);
        SCOPED_TRACE(rel.string());
        std::vector<uint8_t> again, built;
        ASSERT_TRUE(Quill::ReadWholeFile(entry.path().string(), again));
        ASSERT_TRUE(Quill::ReadWholeFile((game / rel).string(), built));
        EXPECT_TRUE(again == built) << "differs from the build's copy";
        ++compared;
    }
    EXPECT_GT(compared, 150u);
}
