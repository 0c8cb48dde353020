// FormatText with the Windows runtime's formatter, which the programs use: msvcrt
// leaves a text of exactly the buffer's size unterminated and reports a longer
// one with -1, where the C library of the native tests terminates and counts.
#include <string.h>

#include <gtest/gtest.h>

#include <string>

#include "text.h"

namespace {

// Each row formats into a buffer of cap bytes followed by guard bytes that
// must stay untouched: the text is kept whole only when it fits with its
// terminator (result 1), else it is cut and terminated (result 0).
TEST(TextFormat, TextsAreCutToTheBufferAndAlwaysTerminated) {
    struct Case {
        const char* what;
        size_t cap;
        const char* format;
        const char* first;
        const char* second;
        int result;
        const char* kept;
    } cases[] = {
        {"one shorter than the buffer fits whole", 6, "%s", "abcde", nullptr, 1, "abcde"},
        {"as long as the buffer is cut", 6, "%s", "abcdef", nullptr, 0, "abcde"},
        {"longer text is cut", 6, "%s %s", "Installation", "Demo", 0, "Insta"},
        {"a one-byte buffer holds the empty text", 1, "%s", "a", nullptr, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        char bytes[16];
        memset(bytes, '#', sizeof bytes);
        EXPECT_EQ(c.result, FormatText(bytes, c.cap, c.format, c.first, c.second));
        EXPECT_STREQ(c.kept, bytes);
        EXPECT_EQ(std::string(sizeof bytes - c.cap, '#'), std::string(bytes + c.cap, sizeof bytes - c.cap));
    }
}

TEST(TextFormat, ConversionsOfThePrograms) {
    char out[128];
    // The folder page's sentence keeps at most a given number of name characters.
    EXPECT_EQ(1, FormatText(out, sizeof out, "installer %.*s dans", 3, "Cartopia"));
    EXPECT_STREQ("installer Car dans", out);
    EXPECT_EQ(1, FormatText(out, sizeof out, "%lu.%lu", 14ul, 7ul));
    EXPECT_STREQ("14.7", out);
    // Code page 1252 bytes go through unchanged, whatever the locale.
    EXPECT_EQ(1, FormatText(out, sizeof out, "D\xE9sinstallation de %s", "Caf\xE9"));
    EXPECT_STREQ("D\xE9sinstallation de Caf\xE9", out);
}

}  // namespace
