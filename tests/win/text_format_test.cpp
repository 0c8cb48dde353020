// FormatText with the Windows runtime's formatter, which the programs use: msvcrt
// leaves a text of exactly the buffer's size unterminated and reports a longer
// one with -1, where the C library of the native tests terminates and counts.
#include <string.h>

#include <gtest/gtest.h>

#include "text.h"

namespace {

// A buffer of kCap bytes followed by guard bytes that must stay untouched.
constexpr size_t kCap = 6;
struct Guarded {
    Guarded() { memset(bytes, '#', sizeof bytes); }
    bool GuardIntact() const {
        for (size_t i = kCap; i < sizeof bytes; ++i) {
            if (bytes[i] != '#') return false;
        }
        return true;
    }
    char bytes[kCap + 8];
};

TEST(TextFormat, TextOneShorterThanTheBufferFitsWhole) {
    Guarded out;
    EXPECT_EQ(1, FormatText(out.bytes, kCap, "%s", "abcde"));
    EXPECT_STREQ("abcde", out.bytes);
    EXPECT_TRUE(out.GuardIntact());
}

TEST(TextFormat, TextAsLongAsTheBufferIsCutAndTerminated) {
    Guarded out;
    EXPECT_EQ(0, FormatText(out.bytes, kCap, "%s", "abcdef"));
    EXPECT_STREQ("abcde", out.bytes);
    EXPECT_TRUE(out.GuardIntact());
}

TEST(TextFormat, LongerTextIsCutAndTerminated) {
    Guarded out;
    EXPECT_EQ(0, FormatText(out.bytes, kCap, "%s %s", "Installation", "Demo"));
    EXPECT_STREQ("Insta", out.bytes);
    EXPECT_TRUE(out.GuardIntact());
}

TEST(TextFormat, OneByteBufferHoldsTheEmptyText) {
    Guarded out;
    EXPECT_EQ(0, FormatText(out.bytes, 1, "%s", "a"));
    EXPECT_EQ('\0', out.bytes[0]);
    EXPECT_EQ('#', out.bytes[1]);
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
