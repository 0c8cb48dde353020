// A mapped package cut short by another program while pack reads it: the
// "cannot be read" message and exit code 2, never a crash.
#include <gtest/gtest.h>

#include <stdio.h>
#include <unistd.h>

#include <string>

#include "mapped_file.h"
#include "test_files.h"

namespace {

// Reads every page of a mapping, as inspect and verify do.
unsigned SumOfPages(const MappedFile& map) {
    unsigned sum = 0;
    for (uint64_t at = 0; at < map.size(); at += 4096) sum += map.data()[at];
    return sum;
}

TEST(MappedFile, AFileCutShortWhileMappedEndsPackWithAMessage) {
    const std::string path = testing::TempDir() + "/mapped_cut.exe";
    ASSERT_TRUE(testfiles::WriteFileBytes(path, std::string(1 << 20, 'M')));
    EXPECT_EXIT(
        {
            MappedFile map;
            std::string why;
            if (!map.Open(path, &why)) _exit(3);
            if (truncate(path.c_str(), 4096) != 0) _exit(4);
            SumOfPages(map);
            _exit(0);
        },
        testing::ExitedWithCode(2), "pack: .*mapped_cut.exe: cannot be read: it was cut short");
    // Closed, a mapping is no longer watched; another one of the same file is.
    {
        MappedFile map;
        std::string why;
        ASSERT_TRUE(map.Open(path, &why)) << why;
        EXPECT_EQ(static_cast<unsigned>('M'), SumOfPages(map));
    }
    remove(path.c_str());
}

}  // namespace
