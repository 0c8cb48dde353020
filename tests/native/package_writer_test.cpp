// The package writer on Linux: package resources put into a copy of a real
// program file, written under a temporary name and renamed, nothing on failure.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "package_writer.h"
#include "pe_resources.h"
#include "test_files.h"

namespace {

using testfiles::FileExists;

std::string ResourceText(const pe::ResourceFile& file, const char* name) {
    const pe::Resource* r = file.Find("RT_DATA", name, pe::kLanguageNeutral);
    return r ? std::string(reinterpret_cast<const char*>(r->data), r->size) : "<missing>";
}

class PackageWriter : public testing::Test {
protected:
    void SetUp() override {
        setup_ = std::string(PE_FIXTURE_DIR) + "/fixture32.exe";
        if (!FileExists(setup_)) GTEST_SKIP() << "no " << setup_;
        out_ = testing::TempDir() + "/package_writer_out.exe";
        remove(out_.c_str());
    }
    std::string setup_;
    std::string out_;
};

TEST_F(PackageWriter, ThePackageResourcesAreAddedToACopyOfSetup) {
    PackageContents contents;
    contents.AddFile("demo.exe", "", "program bytes");
    contents.AddFile("notes.txt", "docs", "notes");
    contents.writeLicense = true;
    contents.license = "{\\rtf1 licence}";
    std::string error;
    ASSERT_TRUE(WritePackage(setup_, out_, contents, &error)) << error;
    EXPECT_FALSE(FileExists(out_ + ".partial"));
    pe::ResourceFile file;
    ASSERT_TRUE(file.LoadFile(out_, &error)) << error;
    EXPECT_EQ("program bytesnotes", ResourceText(file, "5000"));
    EXPECT_EQ(contents.EncodedRecord(), ResourceText(file, "5001"));
    EXPECT_EQ("{\\rtf1 licence}", ResourceText(file, "5010"));
    EXPECT_EQ("<missing>", ResourceText(file, "5011"));
    // The program's own resources are still there.
    EXPECT_TRUE(file.Find(16, 1));
    EXPECT_TRUE(file.Find("RT_EXECUTABLE", 210));

    // An installed uninstaller's log is replaced in place the same way.
    ASSERT_TRUE(UpdateProgramResource(out_, "RT_DATA", "5000", "log", &error)) << error;
    ASSERT_TRUE(file.LoadFile(out_, &error)) << error;
    EXPECT_EQ("log", ResourceText(file, "5000"));
    EXPECT_EQ(contents.EncodedRecord(), ResourceText(file, "5001"));
}

TEST_F(PackageWriter, ADamagedSetupWritesNothingAndSaysWhy) {
    std::string cut = testing::TempDir() + "/package_writer_cut.exe";
    ASSERT_TRUE(testfiles::WriteFileBytes(cut, "MZ but nothing more"));
    PackageContents contents;
    contents.AddFile("demo.exe", "", "x");
    std::string error;
    EXPECT_FALSE(WritePackage(cut, out_, contents, &error));
    EXPECT_NE(std::string::npos, error.find("not a Windows program file")) << error;
    EXPECT_FALSE(FileExists(out_));
    EXPECT_FALSE(FileExists(out_ + ".partial"));
    EXPECT_FALSE(WritePackage(setup_, "/nonexistent-folder/out.exe", contents, &error));
    EXPECT_NE(std::string::npos, error.find("cannot create")) << error;
}

}  // namespace
