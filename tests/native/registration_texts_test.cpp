// The registration texts (version and publisher of the list of installed
// programs): read back as written, and damaged bytes register nothing.
#include <gtest/gtest.h>

#include <string>

#include "registration_texts.h"

namespace {

RegistrationTexts Parse(const std::string& bytes, int* ok) {
    RegistrationTexts texts;
    *ok = ParseRegistrationTexts(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &texts);
    return texts;
}

TEST(RegistrationTexts, WrittenTextsAreReadBack) {
    const std::string longest(kPathSize - 1, 'v');
    const struct {
        std::string version, publisher;
    } cases[] = {{"1.2", "Editions Lumière"}, {"", "Editeur"}, {"2.0.1", ""}, {longest, longest}};
    for (const auto& c : cases) {
        uint8_t bytes[2 * kPathSize];
        size_t n = EncodeRegistrationTexts(c.version.c_str(), c.publisher.c_str(), bytes, sizeof(bytes));
        ASSERT_EQ(c.version.size() + c.publisher.size() + 2, n);
        int ok = 0;
        RegistrationTexts texts = Parse(std::string(reinterpret_cast<char*>(bytes), n), &ok);
        EXPECT_EQ(1, ok);
        EXPECT_EQ(c.version, texts.version);
        EXPECT_EQ(c.publisher, texts.publisher);
    }
    uint8_t small[8];
    EXPECT_EQ(0u, EncodeRegistrationTexts("1.2", "Editeur", small, sizeof(small)));
    uint8_t bytes[4 * kPathSize];
    EXPECT_EQ(0u, EncodeRegistrationTexts(std::string(kPathSize, 'v').c_str(), "", bytes, sizeof(bytes)));
}

TEST(RegistrationTexts, NoResourceMeansNoTextsAndDamagedBytesGiveNone) {
    RegistrationTexts texts;
    EXPECT_EQ(1, ParseRegistrationTexts(nullptr, 0, &texts));
    EXPECT_STREQ("", texts.version);
    const std::string damaged[] = {
        std::string(),                                        // empty
        std::string("1.2"),                                   // no terminator
        std::string("1.2\0Editeur", 11),                      // the publisher not terminated
        std::string("1.2\0", 4),                              // no publisher at all
        std::string("1.2\0Editeur\0x", 13),                   // bytes after the texts
        std::string(kPathSize, 'v') + std::string("\0\0", 2),  // a version too long
    };
    for (const std::string& bytes : damaged) {
        int ok = 1;
        texts = Parse(bytes, &ok);
        EXPECT_EQ(0, ok) << bytes.size();
        EXPECT_STREQ("", texts.version);
        EXPECT_STREQ("", texts.publisher);
    }
}

}  // namespace
