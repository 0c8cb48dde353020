// The branding of a package: icon files, the wizard's pictures and the version
// information, checked on good and bad inputs and read back by independent
// readers (pefile, PIL, wrestool) from packages written on Linux.
#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "bitmap_file.h"
#include "icon_file.h"
#include "image_files.h"
#include "package_writer.h"
#include "pe_resources.h"
#include "test_files.h"
#include "version_resource.h"

namespace {

using testfiles::FileExists;
using testfiles::ReadFileBytes;
using testfiles::RunCommand;
using testfiles::WriteFileBytes;
using testimg::BitmapIconImage;
using testimg::Channel;
using testimg::IconFile;
using testimg::Le;
using testimg::MakeBmp;
using testimg::SetLe;
using TestImage = testimg::IconImageFile;

std::string SourceDir() { return TESTS_SOURCE_DIR; }

// ---- icon files -------------------------------------------------------------

std::vector<TestImage> ThreeImages() {
    return {{16, 4, BitmapIconImage(16, 4, 0x11)},
            {32, 8, BitmapIconImage(32, 8, 0x22)},
            {256, 32, testimg::PngIconImage(256, 256)}};
}

TEST(IconFile, GoodFilesGiveEveryImageWithItsSizeAndDepth) {
    std::vector<TestImage> made = ThreeImages();
    std::vector<IconImage> images;
    std::string error;
    ASSERT_TRUE(ParseIconFile(IconFile(made), &images, &error)) << error;
    ASSERT_EQ(3u, images.size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(made[i].width, images[i].width);
        EXPECT_EQ(made[i].width, images[i].height);
        EXPECT_EQ(made[i].bits, images[i].bitCount);
        EXPECT_EQ(made[i].bytes, images[i].bytes);
    }
    EXPECT_FALSE(images[0].png);
    EXPECT_TRUE(images[2].png);
    EXPECT_EQ(16, images[0].colorCount);

    // setup's own icon, made by another tool.
    std::string own;
    ASSERT_TRUE(ReadFileBytes(SourceDir() + "/setup/res/setup.ico", &own));
    ASSERT_TRUE(ParseIconFile(own, &images, &error)) << error;
    ASSERT_EQ(3u, images.size());
    EXPECT_EQ(48, images[0].width);
    EXPECT_EQ(8, images[0].bitCount);
}

TEST(IconFile, DamagedOrForeignFilesAreRefusedWithAReason) {
    const std::string good = IconFile(ThreeImages());
    const size_t firstEntry = 6;
    const size_t secondImage = 6 + 3 * 16 + ThreeImages()[0].bytes.size();
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", "", "icon header"});
    cases.push_back({"a BMP", "BM\x36\0\0\0\0\0\0\0", "icon header"});
    std::string cursor = good;
    SetLe(&cursor, 2, 2, 2);
    cases.push_back({"a cursor", cursor, "cursor"});
    std::string none = good.substr(0, 6);
    SetLe(&none, 4, 0, 2);
    cases.push_back({"no image", none, "no image"});
    cases.push_back({"entries cut", good.substr(0, 30), "too short for their entries"});
    std::string past = good;
    SetLe(&past, firstEntry + 8, 0x7FFFFFFF, 4);
    cases.push_back({"size past the end", past, "outside the file"});
    std::string wrapped = good;
    SetLe(&wrapped, firstEntry + 12, 0xFFFFFFF0, 4);
    cases.push_back({"offset that wraps", wrapped, "outside the file"});
    std::string inside = good;
    SetLe(&inside, firstEntry + 12, 2, 4);
    cases.push_back({"image inside the directory", inside, "outside the file"});
    cases.push_back({"cut short", good.substr(0, good.size() - 1), "outside the file"});
    std::string wrongSize = good;
    wrongSize[firstEntry + 16] = 33;  // second entry says 33 wide, its bitmap is 32
    cases.push_back({"entry and bitmap disagree", wrongSize, "its entry says 33x32"});
    std::string pngSize = good;
    pngSize[firstEntry + 32] = 48;
    pngSize[firstEntry + 33] = 48;
    cases.push_back({"entry and PNG disagree", pngSize, "PNG image is 256x256"});
    std::string compressed = good;
    SetLe(&compressed, secondImage + 16, 1, 4);
    cases.push_back({"compressed bitmap", compressed, "compressed"});
    std::string oddBits = good;
    SetLe(&oddBits, secondImage + 14, 7, 2);
    cases.push_back({"7 bits per pixel", oddBits, "7 bits per pixel"});
    std::string bigPalette = good;
    SetLe(&bigPalette, secondImage + 32, 257, 4);
    cases.push_back({"palette too large", bigPalette, "palette"});
    std::string shortRows = IconFile({{32, 8, BitmapIconImage(32, 8, 1).substr(0, 40 + 1024 + 100)}});
    cases.push_back({"rows missing", shortRows, "needs"});
    std::string text = "0000000000 this is text, not an icon";
    cases.push_back({"text", text, "icon header"});

    for (const Case& c : cases) {
        std::vector<IconImage> images;
        std::string error;
        EXPECT_FALSE(ParseIconFile(c.bytes, &images, &error)) << c.what;
        EXPECT_NE(std::string::npos, error.find("not an icon file")) << c.what << ": " << error;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << c.what << ": " << error;
    }
}

// ---- the wizard's pictures --------------------------------------------------

TEST(Picture, AcceptedFormatsBecomeAPlainBottomUpBitmap) {
    std::string resource;
    std::string error;
    // setup's own pictures pass unchanged: the file minus its 14-byte header.
    for (const auto& own : {std::make_pair("side.bmp", 144), std::make_pair("header.bmp", 64)}) {
        std::string file;
        ASSERT_TRUE(ReadFileBytes(SourceDir() + "/setup/res/" + own.first, &file));
        int height = own.second == 144 ? 324 : 64;
        ASSERT_TRUE(PrepareBitmap(file, own.second, height, &resource, &error)) << own.first << ": " << error;
        EXPECT_EQ(file.substr(14, 40 + 1024), resource.substr(0, 40 + 1024)) << own.first;
        EXPECT_EQ(file.size() - 14, resource.size()) << own.first;
    }
    // 24-bit and 8-bit bottom-up: kept as they are.
    std::string plain = MakeBmp(64, 64, 24);
    ASSERT_TRUE(PrepareBitmap(plain, 64, 64, &resource, &error)) << error;
    EXPECT_TRUE(plain.substr(14) == resource);
    std::string paletted = MakeBmp(144, 324, 8);
    ASSERT_TRUE(PrepareBitmap(paletted, 144, 324, &resource, &error)) << error;
    EXPECT_TRUE(paletted.substr(14) == resource);
    EXPECT_EQ("144 x 324, 8-bit", DescribeBitmap(resource));

    // Converted: top-down rows, 32-bit pixels (plain or with masks), long headers.
    // Each must give exactly the plain 24-bit bottom-up bitmap of the same picture.
    const std::string expected = plain.substr(14);
    struct Variant {
        const char* what;
        std::string file;
    } variants[] = {
        {"top-down 24-bit", MakeBmp(64, 64, 24, true)},
        {"32-bit", MakeBmp(64, 64, 32)},
        {"top-down 32-bit", MakeBmp(64, 64, 32, true)},
        {"32-bit with masks", MakeBmp(64, 64, 32, false, 40, 3)},
        {"124-byte header", MakeBmp(64, 64, 24, false, 124)},
        {"108-byte header, masks, top-down", MakeBmp(64, 64, 32, true, 108, 3)},
    };
    for (const Variant& v : variants) {
        ASSERT_TRUE(PrepareBitmap(v.file, 64, 64, &resource, &error)) << v.what << ": " << error;
        EXPECT_TRUE(expected == resource) << v.what;
        EXPECT_EQ("64 x 64, 24-bit", DescribeBitmap(resource)) << v.what;
    }
    // A top-down 8-bit picture: palette kept, rows flipped.
    ASSERT_TRUE(PrepareBitmap(MakeBmp(144, 324, 8, true), 144, 324, &resource, &error)) << error;
    EXPECT_TRUE(paletted.substr(14) == resource);
}

TEST(Picture, WrongSizesAndFormatsTheWizardCannotDrawAreRefused) {
    struct Case {
        const char* what;
        std::string file;
        const char* reason;
    };
    std::string rle = MakeBmp(64, 64, 8, false, 40, 1);
    std::string wrongMasks = MakeBmp(64, 64, 32, false, 40, 3);
    SetLe(&wrongMasks, 14 + 40, 0xFF, 4);
    std::string os2 = MakeBmp(64, 64, 24);
    SetLe(&os2, 14, 12, 4);
    std::string planes = MakeBmp(64, 64, 24);
    SetLe(&planes, 14 + 12, 2, 2);
    std::string palette = MakeBmp(64, 64, 8);
    SetLe(&palette, 14 + 32, 300, 4);
    std::string offset = MakeBmp(64, 64, 8);
    SetLe(&offset, 10, 20, 4);
    std::string far = MakeBmp(64, 64, 24);
    SetLe(&far, 10, 0xFFFFFF00u, 4);
    std::vector<Case> cases = {
        {"too wide", MakeBmp(65, 64, 24), "65 x 64 pixels; the wizard needs exactly 64 x 64"},
        {"side size for the header", MakeBmp(144, 324, 24), "needs exactly 64 x 64"},
        {"16-bit", MakeBmp(64, 64, 16), "16-bit"},
        {"RLE", rle, "compressed"},
        {"odd masks", wrongMasks, "masks"},
        {"OS/2 header", os2, "OS/2"},
        {"two planes", planes, "planes"},
        {"palette too large", palette, "palette"},
        {"pixels inside the header", offset, "inside its header"},
        {"pixels far away", far, "cut short"},
        {"cut short", MakeBmp(64, 64, 24).substr(0, 5000), "cut short"},
        {"header cut", MakeBmp(64, 64, 24).substr(0, 30), "cut short inside its header"},
        {"not a BMP", "GIF89a........................................................", "not a BMP"},
        {"empty", "", "not a BMP"},
    };
    for (const Case& c : cases) {
        std::string resource;
        std::string error;
        EXPECT_FALSE(PrepareBitmap(c.file, 64, 64, &resource, &error)) << c.what;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << c.what << ": " << error;
    }
}

// ---- the version information -------------------------------------------------

TEST(VersionResource, ReadsBackWhatWasWrittenOnFourByteBoundaries) {
    VersionInfo info;
    info.numbers[0] = 3;
    info.numbers[1] = 14;
    info.numbers[2] = 65535;
    info.numbers[3] = 1;
    info.strings = {{"ProductName", "Cartopia"}, {"CompanyName", ""}, {"LegalCopyright", "\xA9 \xC9" "ditions"},
                    {"FileDescription", "Installation de Cartopia"}};
    std::string bytes = BuildVersionResource(info);
    EXPECT_EQ(0u, bytes.size() % 4);
    EXPECT_EQ(bytes.size(), static_cast<size_t>(static_cast<uint8_t>(bytes[0]) | static_cast<uint8_t>(bytes[1]) << 8));
    VersionInfo back;
    std::string table;
    std::string error;
    ASSERT_TRUE(ReadVersionResource(bytes, &back, &table, &error)) << error;
    EXPECT_EQ("040C04E4", table);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(info.numbers[i], back.numbers[i]);
    // The empty text is left out; the others keep their order and code page 1252 letters.
    ASSERT_EQ(3u, back.strings.size());
    EXPECT_EQ("ProductName", back.strings[0].first);
    EXPECT_EQ("\xA9 \xC9" "ditions", back.strings[1].second);
    EXPECT_EQ("Installation de Cartopia", back.strings[2].second);

    // Every cut of the bytes is read without a fault; the whole file is the only complete one.
    for (size_t size = 0; size < bytes.size(); ++size) {
        ReadVersionResource(bytes.substr(0, size), &back, &table, &error);
    }
    std::string damaged = bytes;
    damaged[0] = static_cast<char>(0xFF);
    damaged[1] = static_cast<char>(0xFF);
    EXPECT_FALSE(ReadVersionResource(damaged, &back, &table, &error));
}

// ---- whole packages, read back by independent readers -------------------------

class BrandedPackage : public testing::Test {
protected:
    void SetUp() override {
        setup_ = std::string(PE_FIXTURE_DIR) + "/fixture32.exe";
        if (!FileExists(setup_)) GTEST_SKIP() << "no " << setup_;
        dir_ = testing::TempDir();
    }
    std::string setup_;
    std::string dir_;
};

// A stand-in for setup.exe with an icon group 110 (images 1 and 2, US English)
// and a group 111 that shares image 2 and has image 3.
std::string SetupWithIcons(const std::string& fixture, const std::string& path) {
    pe::ResourceFile file;
    std::string error;
    if (!file.LoadFile(fixture, &error)) return error;
    std::string group110;
    std::string group111;
    for (std::string* group : {&group110, &group111}) {
        Le(group, 0, 2);
        Le(group, 1, 2);
        Le(group, 2, 2);
    }
    auto entry = [](std::string* group, int size, uint16_t id) {
        group->push_back(static_cast<char>(size));
        group->push_back(static_cast<char>(size));
        group->append(2, '\0');
        Le(group, 1, 2);
        Le(group, 8, 2);
        Le(group, static_cast<uint32_t>(BitmapIconImage(size, 8, 0).size()), 4);
        Le(group, id, 2);
    };
    entry(&group110, 16, 1);
    entry(&group110, 32, 2);
    entry(&group111, 32, 2);
    entry(&group111, 48, 3);
    file.SetCopy(3, 1, 1033, BitmapIconImage(16, 8, 1));
    file.SetCopy(3, 2, 1033, BitmapIconImage(32, 8, 2));
    file.SetCopy(3, 3, 1033, BitmapIconImage(48, 8, 3));
    file.SetCopy(14, 110, 1033, group110);
    file.SetCopy(14, 111, 1033, group111);
    std::vector<uint8_t> bytes;
    if (!file.WriteToBytes(&bytes, &error)) return error;
    return WriteFileBytes(path, bytes) ? "" : "cannot write " + path;
}

TEST_F(BrandedPackage, IconGroupReplacedWithoutDanglingOrLostImages) {
    std::string stand = dir_ + "/branding_setup_icons.exe";
    ASSERT_EQ("", SetupWithIcons(setup_, stand));
    PackageContents contents;
    contents.AddFile("demo.exe", "", "program bytes");
    std::string error;
    std::vector<TestImage> made = ThreeImages();
    ASSERT_TRUE(ParseIconFile(IconFile(made), &contents.icon, &error)) << error;
    std::string out = dir_ + "/branding_icon.exe";
    ASSERT_TRUE(WritePackage(stand, out, contents, &error)) << error;
    // The icon replaced again in the package (pack refuses to build on a
    // package, the writer does not): the ids stay the same and nothing piles up.
    std::string again = dir_ + "/branding_icon_again.exe";
    {
        pe::ResourceFile package;
        ASSERT_TRUE(package.LoadFile(out, &error)) << error;
        ReplaceIconGroup(&package, 110, contents.icon);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(package.WriteToBytes(&bytes, &error)) << error;
        ASSERT_TRUE(WriteFileBytes(again, bytes));
    }

    for (const std::string& path : {out, again}) {
        pe::ResourceFile file;
        ASSERT_TRUE(file.LoadFile(path, &error)) << error;
        // Image 1 was group 110's alone: reused for the first new image. Image 2
        // is shared with group 111 and image 3 is group 111's: both kept as they were.
        std::vector<uint16_t> icons;
        for (const pe::Resource& r : file.Resources()) {
            if (r.type == pe::ResourceKey(3)) {
                icons.push_back(r.name.Id());
                EXPECT_EQ(1033, r.language);
            }
        }
        EXPECT_EQ((std::vector<uint16_t>{1, 2, 3, 4, 5}), icons) << path;
        const pe::Resource* kept = file.Find(3, 2, 1033);
        ASSERT_TRUE(kept);
        EXPECT_EQ(BitmapIconImage(32, 8, 2), std::string(reinterpret_cast<const char*>(kept->data), kept->size));
        EXPECT_TRUE(file.Find(14, 110, 1033));
        EXPECT_EQ("16x16 4-bit, 32x32 8-bit, 256x256 32-bit PNG", DescribeIconGroup(file, 110));
        EXPECT_EQ("32x32 8-bit, 48x48 8-bit", DescribeIconGroup(file, 111));
    }

    // pefile: every entry of group 110 finds its image, of the size it states.
    std::string seen = RunCommand("/usr/bin/python3 " + SourceDir() + "/tests/native/branding_check.py " + again);
    EXPECT_NE(std::string::npos, seen.find("icon 16x16 4 ok lang 1033\nicon 32x32 8 ok lang 1033\n"
                                           "icon 256x256 32 ok lang 1033\n"))
        << seen;
    // wrestool rebuilds the .ico from the group and its images: the same images come back.
    std::string extracted = dir_ + "/branding_extracted.ico";
    remove(extracted.c_str());
    std::string said = RunCommand("wrestool -x --type=14 --name=110 -o " + extracted + " " + again);
    std::string ico;
    if (!ReadFileBytes(extracted, &ico)) GTEST_SKIP() << "wrestool: " << said;
    std::vector<IconImage> back;
    ASSERT_TRUE(ParseIconFile(ico, &back, &error)) << error;
    ASSERT_EQ(made.size(), back.size());
    for (size_t i = 0; i < made.size(); ++i) EXPECT_EQ(made[i].bytes, back[i].bytes) << i;
}

TEST_F(BrandedPackage, VersionAndPicturesSeenByPefileAndPil) {
    PackageContents contents;
    contents.AddFile("demo.exe", "", "program bytes");
    std::string error;
    ASSERT_TRUE(PrepareBitmap(MakeBmp(144, 324, 32, true), 144, 324, &contents.sideBitmap, &error)) << error;
    ASSERT_TRUE(PrepareBitmap(MakeBmp(64, 64, 8), 64, 64, &contents.headerBitmap, &error)) << error;
    contents.writeVersion = true;
    contents.version.numbers[0] = 2;
    contents.version.numbers[1] = 5;
    contents.version.numbers[3] = 7;
    contents.version.strings = {{"CompanyName", "\xC9" "ditions Cartes"},
                                {"FileDescription", "Installation de Cartopia"},
                                {"LegalCopyright", "\xA9 2024"},
                                {"ProductName", "Cartopia"},
                                {"ProductVersion", "2.5 b\xEAta"}};
    std::string out = dir_ + "/branding_version.exe";
    // The fixture has an English version resource: it must be gone afterwards.
    ASSERT_TRUE(WritePackage(setup_, out, contents, &error)) << error;
    pe::ResourceFile file;
    ASSERT_TRUE(file.LoadFile(out, &error)) << error;
    EXPECT_FALSE(file.Find(16, 1, 1033));
    EXPECT_TRUE(file.Find(16, 1, 0x040C));

    std::string seen = RunCommand("/usr/bin/python3 " + SourceDir() + "/tests/native/branding_check.py " + out);
    EXPECT_NE(std::string::npos, seen.find("version 2.5.0.7 type 1 signature 0xfeef04bd\n")) << seen;
    EXPECT_NE(std::string::npos, seen.find("string 040C04E4 CompanyName=\xC3\x89" "ditions Cartes\n")) << seen;
    EXPECT_NE(std::string::npos, seen.find("string 040C04E4 LegalCopyright=\xC2\xA9 2024\n")) << seen;
    EXPECT_NE(std::string::npos, seen.find("string 040C04E4 ProductVersion=2.5 b\xC3\xAAta\n")) << seen;
    EXPECT_NE(std::string::npos, seen.find("string 040C04E4 ProductName=Cartopia\n")) << seen;
    EXPECT_NE(std::string::npos, seen.find("translation 0x040c 0x04e4\n")) << seen;
    // The top-left pixel of each picture, as PIL decodes the stored bitmap.
    char pixel[64];
    snprintf(pixel, sizeof(pixel), "bitmap 200 144x324 RGB pixel00 (%d, %d, %d)", Channel(0, 0, 2), Channel(0, 0, 1),
             Channel(0, 0, 0));
    EXPECT_NE(std::string::npos, seen.find(pixel)) << seen;
    // Palette entry i of the header picture is (red i, green 255 - i, blue i / 2).
    snprintf(pixel, sizeof(pixel), "bitmap 201 64x64 P pixel00 (%d, %d, %d)", Channel(0, 0, 0),
             255 - Channel(0, 0, 0), Channel(0, 0, 0) / 2);
    EXPECT_NE(std::string::npos, seen.find(pixel)) << seen;
    // The structural check of the whole file still passes.
    std::string layout = RunCommand(std::string("/usr/bin/python3 ") + PE_CHECK_SCRIPT + " " + out);
    EXPECT_NE(std::string::npos, layout.find("layout ok")) << layout;
    EXPECT_NE(std::string::npos, layout.find("checksum ok")) << layout;
}

// The native pack itself: bad branding files give description:line errors,
// exit code 1 and no output file; good ones are listed by `pack inspect`.
TEST_F(BrandedPackage, PackReportsBadBrandingFilesAndWritesNothing) {
    std::string pack = std::string(PE_FIXTURE_DIR) + "/../../../bin/pack";
    if (!FileExists(pack)) GTEST_SKIP() << "no " << pack;
    std::string folder = dir_ + "/branding_pack";
    mkdir(folder.c_str(), 0755);
    const std::pair<const char*, std::string> files[] = {
        {"a.exe", "program"},
        {"good.ico", IconFile(ThreeImages())},
        {"notes.ico", "these are notes, not an icon"},
        {"side.bmp", MakeBmp(144, 324, 24)},
        {"small.bmp", MakeBmp(60, 60, 24)},
        {"header.bmp", MakeBmp(64, 64, 8)},
        {"rle.bmp", MakeBmp(64, 64, 8, false, 40, 1)},
        {"bad.ini", "[Setup]\nAppName = Atlas\nSetupIcon = notes.ico\nSidePicture = small.bmp\n"
                    "HeaderPicture = rle.bmp\nAppVersion = 2.1\n[Files]\na.exe\n"},
        {"missing.ini", "[Setup]\nAppName = Atlas\nSetupIcon = nowhere.ico\n[Files]\na.exe\n"},
        {"good.ini", "[Setup]\nAppName = Atlas\nAppVersion = 2.1\nPublisher = Globe\nSetupIcon = good.ico\n"
                     "SidePicture = side.bmp\nHeaderPicture = header.bmp\n[Files]\na.exe\n"},
    };
    for (const auto& file : files) ASSERT_TRUE(WriteFileBytes(folder + "/" + file.first, file.second)) << file.first;
    std::string out = folder + "/out.exe";
    remove(out.c_str());
    std::string command = "cd " + folder + " && " + pack + " build %s -o out.exe --setup " + setup_ + "; echo exit=$?";
    char line[1024];
    snprintf(line, sizeof(line), command.c_str(), "bad.ini");
    std::string said = RunCommand(line);
    EXPECT_NE(std::string::npos, said.find("bad.ini:3: error: SetupIcon file 'notes.ico': it is not an icon file"))
        << said;
    EXPECT_NE(std::string::npos, said.find("bad.ini:4: error: SidePicture file 'small.bmp' (bitmap 200): the picture "
                                           "is 60 x 60 pixels; the wizard needs exactly 144 x 324"))
        << said;
    EXPECT_NE(std::string::npos, said.find("bad.ini:5: error: HeaderPicture file 'rle.bmp' (bitmap 201): it is "
                                           "compressed"))
        << said;
    EXPECT_NE(std::string::npos, said.find("exit=1")) << said;
    EXPECT_FALSE(FileExists(out));
    snprintf(line, sizeof(line), command.c_str(), "missing.ini");
    said = RunCommand(line);
    EXPECT_NE(std::string::npos, said.find("missing.ini:3: error: SetupIcon file 'nowhere.ico' not found")) << said;
    EXPECT_NE(std::string::npos, said.find("exit=1")) << said;
    EXPECT_FALSE(FileExists(out));

    snprintf(line, sizeof(line), command.c_str(), "good.ini");
    said = RunCommand(line);
    ASSERT_NE(std::string::npos, said.find("exit=0")) << said;
    said = RunCommand(pack + " inspect " + out);
    EXPECT_NE(std::string::npos, said.find("Icon              16x16 4-bit, 32x32 8-bit, 256x256 32-bit PNG\n")) << said;
    EXPECT_NE(std::string::npos, said.find("Side picture      144 x 324, 24-bit\n")) << said;
    EXPECT_NE(std::string::npos, said.find("Header picture    64 x 64, 8-bit\n")) << said;
    EXPECT_NE(std::string::npos, said.find("Version           2.1.0.0, strings 040C04E4\n")) << said;
    EXPECT_NE(std::string::npos, said.find("FileDescription Installation de Atlas\n")) << said;
    EXPECT_NE(std::string::npos, said.find("OriginalFilename AtlasSetup.exe\n")) << said << "the name comes from the description, not from the output";
    EXPECT_NE(std::string::npos, said.find("CompanyName     Globe\n")) << said;
}

}  // namespace
