// The resource reader and writer of program files, on real PE32 and PE32+
// programs built by the MinGW cross compilers, checked with pefile as well.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "pe_resources.h"
#include "test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

const uint16_t kFrench = 0x040C;
const uint16_t kEnglishUs = 0x0409;

using testfiles::ReadFileBytes;
using testfiles::WriteFileBytes;

uint32_t Get32(const Bytes& b, size_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
void Put32(Bytes* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string Fixture(const std::string& name) { return std::string(PE_FIXTURE_DIR) + "/" + name; }

// "type name language" -> bytes: what a reader sees, for comparisons.
using Listing = std::map<std::string, std::string>;

std::string Key(const pe::ResourceKey& type, const pe::ResourceKey& name, uint16_t language) {
    return type.Text() + "\t" + name.Text() + "\t" + std::to_string(language);
}

Listing ListOf(const pe::ResourceFile& file) {
    Listing listing;
    for (const pe::Resource& r : file.Resources()) {
        listing[Key(r.type, r.name, r.language)] = std::string(reinterpret_cast<const char*>(r.data), r.size);
    }
    return listing;
}

// pefile's view of a file: resource lines (without the hash column checked
// here: the sizes and hashes are compared in full by the caller), checksum and
// layout verdicts.
struct PefileView {
    bool ran = false;
    std::map<std::string, std::string> sizeAndHash;  // "type name language" -> "size<TAB>crc32"
    std::string checksum;
    std::string layout;
};

PefileView AskPefile(const std::string& path) {
    PefileView view;
    int status = -1;
    std::string said = testfiles::RunCommand(std::string("/usr/bin/python3 ") + PE_CHECK_SCRIPT + " '" + path + "'", &status);
    for (size_t start = 0, end; start < said.size(); start = end + 1) {
        end = said.find('\n', start);
        if (end == std::string::npos) end = said.size();
        std::string text = said.substr(start, end - start);
        if (text.rfind("checksum ", 0) == 0) {
            view.checksum = text.substr(9);
        } else if (text.rfind("layout ", 0) == 0) {
            view.layout = text.substr(7);
        } else {
            size_t third = text.find('\t', text.find('\t', text.find('\t') + 1) + 1);
            if (third == std::string::npos) continue;
            view.sizeAndHash[text.substr(0, third)] = text.substr(third + 1);
        }
    }
    view.ran = status == 0;
    return view;
}

// The CRC-32 of zlib, which the check script prints for each resource.
uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

bool HavePefile() { return system("/usr/bin/python3 -c 'import pefile' >/dev/null 2>&1") == 0; }

// Every resource of listing, as pefile must list it, and nothing more.
void ExpectPefileAgrees(const std::string& path, const Listing& listing) {
    if (!HavePefile()) {
        ADD_FAILURE() << "python3-pefile is needed for the independent check";
        return;
    }
    PefileView view = AskPefile(path);
    ASSERT_TRUE(view.ran) << "pefile refused " << path;
    EXPECT_EQ("ok", view.checksum) << path;
    EXPECT_EQ("ok", view.layout) << path;
    ASSERT_EQ(listing.size(), view.sizeAndHash.size()) << path;
    for (const auto& entry : listing) {
        auto seen = view.sizeAndHash.find(entry.first);
        ASSERT_TRUE(seen != view.sizeAndHash.end()) << entry.first << " missing for pefile in " << path;
        EXPECT_EQ(std::to_string(entry.second.size()) + "\t" + std::to_string(Crc32(entry.second)), seen->second) << entry.first;
    }
}

class PeResources : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        path_ = Fixture("fixture" + std::to_string(GetParam()) + ".exe");
        if (!ReadFileBytes(path_, &original_)) GTEST_SKIP() << "no " << path_ << " (MinGW cross compiler missing)";
    }
    std::string Out(const std::string& name) const {
        return testing::TempDir() + "/" + name + std::to_string(GetParam()) + ".exe";
    }

    std::string path_;
    Bytes original_;
};

TEST_P(PeResources, ReadsTheTreeTheResourceCompilerWrote) {
    pe::ResourceFile file;
    std::string error;
    ASSERT_TRUE(file.Load(original_, &error)) << error;
    EXPECT_EQ(GetParam() == 64, file.is64());
    const pe::Resource* english = file.Find(10, 7, 0x0409);
    const pe::Resource* french = file.Find(10, 7, kFrench);
    ASSERT_TRUE(english && french);
    EXPECT_EQ(std::string("seven\x34\x12", 7), std::string(reinterpret_cast<const char*>(english->data), english->size));
    EXPECT_EQ("sept", std::string(reinterpret_cast<const char*>(french->data), french->size));
    ASSERT_TRUE(file.Find("RT_EXECUTABLE", 210));
    EXPECT_TRUE(file.Find(16, 1, kEnglishUs));
    EXPECT_TRUE(file.Find(6, 1, kEnglishUs));  // string table block 1 holds string 1
    EXPECT_FALSE(file.Find(10, 7, 0));
    EXPECT_FALSE(file.Find("RT_DATA", "5001"));
    // The same tree as pefile reads, entry by entry.
    ExpectPefileAgrees(path_, ListOf(file));
}

TEST_P(PeResources, TheLinkersChecksumIsTheOneComputed) {
    pe::ResourceFile file;
    std::string error;
    ASSERT_TRUE(file.Load(original_, &error)) << error;
    uint32_t optional = Get32(original_, 0x3C) + 24;
    pe::PeChecksum sum(optional + 64);
    // Fed in uneven pieces: words that straddle two pieces must add up the same.
    sum.Add(original_.data(), 3);
    sum.Add(original_.data() + 3, 1000);
    sum.Add(original_.data() + 1003, original_.size() - 1003);
    EXPECT_EQ(Get32(original_, optional + 64), sum.Finish());
    EXPECT_EQ(file.StoredChecksum(), file.ComputedChecksum());

    // One changed byte anywhere, the checksum field included, and the two differ.
    for (size_t at : {size_t{2}, size_t{optional + 64}, original_.size() / 2, original_.size() - 1}) {
        Bytes changed = original_;
        changed[at] ^= 0x01;
        ASSERT_TRUE(file.Load(changed, &error)) << error;
        EXPECT_NE(file.StoredChecksum(), file.ComputedChecksum()) << "byte " << at;
    }
}

TEST_P(PeResources, ReplacedAndAddedEntriesAreWrittenAndReadBack) {
    pe::ResourceFile file;
    std::string error;
    ASSERT_TRUE(file.Load(original_, &error)) << error;
    Listing expected = ListOf(file);

    // A payload large enough to span many pages, with a pattern that shows shifts.
    std::string payload(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7 + (i >> 12));
    file.Set("RT_DATA", "5000", pe::kLanguageNeutral, reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
    file.SetCopy("RT_DATA", "5001", pe::kLanguageNeutral, "record");
    file.SetCopy(14, 110, kFrench, std::string("\0\0\1\0\1\0", 6));
    file.SetCopy(3, 1, kFrench, "icon bytes");
    file.SetCopy(2, 200, pe::kLanguageNeutral, "BM side picture");
    file.SetCopy(16, 1, kEnglishUs, "new version block");  // replaces the compiler's one
    file.SetCopy(10, 7, kFrench, "");                      // an empty resource is kept, empty
    expected[Key("RT_DATA", "5000", 0)] = payload;
    expected[Key("RT_DATA", "5001", 0)] = "record";
    expected[Key(14, 110, kFrench)] = std::string("\0\0\1\0\1\0", 6);
    expected[Key(3, 1, kFrench)] = "icon bytes";
    expected[Key(2, 200, 0)] = "BM side picture";
    expected[Key(16, 1, kEnglishUs)] = "new version block";
    expected[Key(10, 7, kFrench)] = "";
    EXPECT_EQ(expected, ListOf(file));

    Bytes written;
    ASSERT_TRUE(file.WriteToBytes(&written, &error)) << error;
    pe::ResourceFile back;
    ASSERT_TRUE(back.Load(written, &error)) << error;
    EXPECT_EQ(expected, ListOf(back));
    EXPECT_EQ(GetParam() == 64, back.is64());

    std::string path = Out("replaced");
    ASSERT_TRUE(WriteFileBytes(path, written));
    ExpectPefileAgrees(path, expected);
}

TEST_P(PeResources, RepackingAgainKeepsTheFileTheSame) {
    pe::ResourceFile file;
    std::string error;
    ASSERT_TRUE(file.Load(original_, &error)) << error;
    std::string payload(200000, 'p');
    file.Set("RT_DATA", "5000", 0, reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
    Bytes first;
    ASSERT_TRUE(file.WriteToBytes(&first, &error)) << error;
    // Each round loads the last output and writes it again with the same entries.
    Bytes last = first;
    for (int round = 0; round < 3; ++round) {
        pe::ResourceFile again;
        ASSERT_TRUE(again.Load(last, &error)) << "round " << round << ": " << error;
        again.SetCopy("RT_DATA", "5000", 0, payload);
        Bytes next;
        ASSERT_TRUE(again.WriteToBytes(&next, &error)) << error;
        EXPECT_EQ(first.size(), next.size()) << "round " << round;
        EXPECT_TRUE(first == next) << "round " << round;
        last = next;
    }
    std::string path = Out("repacked");
    ASSERT_TRUE(WriteFileBytes(path, last));
    pe::ResourceFile back;
    ASSERT_TRUE(back.Load(last, &error)) << error;
    ExpectPefileAgrees(path, ListOf(back));

    // A smaller payload later shrinks the file again: nothing stale stays.
    pe::ResourceFile smaller;
    ASSERT_TRUE(smaller.Load(last, &error)) << error;
    smaller.SetCopy("RT_DATA", "5000", 0, "tiny");
    Bytes shrunk;
    ASSERT_TRUE(smaller.WriteToBytes(&shrunk, &error)) << error;
    EXPECT_LT(shrunk.size(), last.size());
    EXPECT_LE(shrunk.size(), original_.size() + 0x1000);
}

// A program without resources gets a resource section added after its last one.
TEST_P(PeResources, AProgramWithoutResourcesGetsANewLastSection) {
    Bytes bare;
    std::string bare_path = Fixture("bare" + std::to_string(GetParam()) + ".exe");
    ASSERT_TRUE(ReadFileBytes(bare_path, &bare));
    pe::ResourceFile file;
    std::string error;
    ASSERT_TRUE(file.Load(bare, &error)) << error;
    EXPECT_TRUE(file.Resources().empty());
    file.SetCopy("RT_DATA", "5001", 0, "added");
    Bytes written;
    ASSERT_TRUE(file.WriteToBytes(&written, &error)) << error;
    pe::ResourceFile back;
    ASSERT_TRUE(back.Load(written, &error)) << error;
    Listing expected = {{Key("RT_DATA", "5001", 0), "added"}};
    EXPECT_EQ(expected, ListOf(back));
    std::string path = Out("added");
    ASSERT_TRUE(WriteFileBytes(path, written));
    ExpectPefileAgrees(path, expected);
    // Every byte of the original sections is still in place.
    EXPECT_TRUE(std::equal(bare.begin() + 0x1000, bare.end(), written.begin() + 0x1000));
}

// Bytes after the last section: an overlay is kept, a certificate table dropped.
TEST_P(PeResources, AnOverlayIsKeptAndASignatureDropped) {
    Bytes input = original_;
    const std::string overlay = "OVERLAY-BYTES";
    input.insert(input.end(), overlay.begin(), overlay.end());
    pe::ResourceFile file;
    std::string error;
    ASSERT_TRUE(file.Load(input, &error)) << error;
    file.SetCopy("RT_DATA", "5001", 0, std::string(5000, 'r'));
    Bytes written;
    ASSERT_TRUE(file.WriteToBytes(&written, &error)) << error;
    ASSERT_GT(written.size(), overlay.size());
    EXPECT_EQ(overlay, std::string(written.end() - overlay.size(), written.end()));

    // The same file "signed": the certificate directory covers the appended bytes.
    uint32_t optional = Get32(input, 0x3C) + 24;
    uint32_t directories = optional + (GetParam() == 64 ? 112 : 96);
    Put32(&input, directories + 8 * 4, static_cast<uint32_t>(original_.size()));
    Put32(&input, directories + 8 * 4 + 4, static_cast<uint32_t>(overlay.size()));
    ASSERT_TRUE(file.Load(input, &error)) << error;
    uint32_t tableOffset = 0, tableSize = 0;
    file.CertificateTable(&tableOffset, &tableSize);
    EXPECT_EQ(original_.size(), tableOffset);
    EXPECT_EQ(overlay.size(), tableSize);
    ASSERT_TRUE(file.WriteToBytes(&written, &error)) << error;
    EXPECT_NE(overlay, std::string(written.end() - overlay.size(), written.end()));
    uint32_t writtenDirectories = Get32(written, 0x3C) + 24 + (GetParam() == 64 ? 112 : 96);
    EXPECT_EQ(0u, Get32(written, writtenDirectories + 8 * 4));
    EXPECT_EQ(0u, Get32(written, writtenDirectories + 8 * 4 + 4));
    EXPECT_EQ(0u, written.size() % 0x1000);
    ASSERT_TRUE(file.Load(written, &error)) << error;
    file.CertificateTable(&tableOffset, &tableSize);
    EXPECT_EQ(0u, tableOffset + tableSize);
}

// An unstripped program: its debugging sections have long names, kept in the
// string table after the COFF symbols ("/4" is the name at offset 4 there).
// Rewritten, GNU objdump still reads every section by its name.
TEST_P(PeResources, LongSectionNamesOfAnUnstrippedProgramStayReadable) {
    Bytes unstripped;
    std::string path = Fixture("unstripped" + std::to_string(GetParam()) + ".exe");
    ASSERT_TRUE(ReadFileBytes(path, &unstripped));
    const std::string objdump = GetParam() == 64 ? OBJDUMP64 : OBJDUMP32;
    if (objdump.empty() || objdump.find("NOTFOUND") != std::string::npos) GTEST_SKIP() << "no MinGW objdump";
    auto sections = [&](const std::string& file, std::string* names) {
        int status = -1;
        std::string said = testfiles::RunCommand("'" + objdump + "' -h '" + file + "' 2>&1", &status);
        names->clear();
        for (size_t at = said.find(" ."); at != std::string::npos; at = said.find(" .", at + 1)) {
            *names += said.substr(at + 1, said.find(' ', at + 1) - at - 1) + " ";
        }
        return status == 0 ? said : "objdump failed: " + said;
    };
    std::string before, after;
    ASSERT_EQ(std::string::npos, sections(path, &before).find("objdump failed")) << before;
    ASSERT_NE(std::string::npos, before.find(".debug_info ")) << before;

    pe::ResourceFile file;
    std::string error;
    ASSERT_TRUE(file.Load(unstripped, &error)) << error;
    file.SetCopy("RT_DATA", "5001", 0, std::string(20000, 'u'));
    Bytes written;
    ASSERT_TRUE(file.WriteToBytes(&written, &error)) << error;
    std::string out = Out("unstripped");
    ASSERT_TRUE(WriteFileBytes(out, written));
    std::string said = sections(out, &after);
    ASSERT_EQ(std::string::npos, said.find("objdump failed")) << said;
    EXPECT_EQ(before + ".rsrc ", after);
    // Rewritten again, it stays the same.
    ASSERT_TRUE(file.Load(written, &error)) << error;
    Bytes again;
    ASSERT_TRUE(file.WriteToBytes(&again, &error)) << error;
    EXPECT_EQ(written, again);
}

TEST_P(PeResources, CutShortFilesAreRefusedAtEveryLength) {
    pe::ResourceFile file;
    std::string error;
    // Every length inside the headers, then steps through the sections.
    for (size_t length = 0; length < original_.size(); length += length < 0x400 ? 1 : 997) {
        Bytes cut(original_.begin(), original_.begin() + length);
        error.clear();
        EXPECT_FALSE(file.Load(cut, &error)) << "accepted " << length << " bytes";
        EXPECT_FALSE(error.empty());
    }
    Bytes cut(original_.begin(), original_.end() - 1);
    EXPECT_FALSE(file.Load(cut, &error));
    EXPECT_NE(std::string::npos, error.find("cut short")) << error;
    std::vector<uint8_t> none;
    EXPECT_FALSE(file.WriteToBytes(&none, &error));
}

INSTANTIATE_TEST_SUITE_P(Bits, PeResources, testing::Values(32, 64),
                         [](const testing::TestParamInfo<int>& info) { return "PE" + std::to_string(info.param); });

// ---------------------------------------------------------------- damaged trees

class DamagedResources : public testing::Test {
protected:
    void SetUp() override {
        if (!ReadFileBytes(Fixture("fixture64.exe"), &bytes_)) GTEST_SKIP() << "no 64-bit fixture";
        uint32_t directories = Get32(bytes_, 0x3C) + 24 + 112;
        uint32_t rootRva = Get32(bytes_, directories + 16);
        // The section that holds the tree: walk the section table.
        uint32_t optionalSize = bytes_[Get32(bytes_, 0x3C) + 20] | (bytes_[Get32(bytes_, 0x3C) + 21] << 8);
        uint32_t table = Get32(bytes_, 0x3C) + 24 + optionalSize;
        uint16_t count = bytes_[Get32(bytes_, 0x3C) + 6] | (bytes_[Get32(bytes_, 0x3C) + 7] << 8);
        for (uint16_t i = 0; i < count; ++i) {
            uint32_t va = Get32(bytes_, table + 40 * i + 12);
            uint32_t raw = Get32(bytes_, table + 40 * i + 20);
            if (rootRva >= va && rootRva < va + Get32(bytes_, table + 40 * i + 16)) root_ = raw + (rootRva - va);
        }
        ASSERT_NE(0u, root_);
    }
    // Offset in the file of the first entry of the directory at tree offset dir.
    size_t Entry(uint32_t dir, int index) const { return root_ + dir + 16 + 8 * index; }
    uint32_t Target(size_t entry) const { return Get32(bytes_, entry + 4) & 0x7FFFFFFF; }
    std::string LoadError() {
        pe::ResourceFile file;
        std::string error;
        EXPECT_FALSE(file.Load(bytes_, &error));
        return error;
    }

    Bytes bytes_;
    size_t root_ = 0;
};

TEST_F(DamagedResources, ABranchPointingBackAtTheRootIsALoopNotAHang) {
    size_t nameEntry = Entry(Target(Entry(0, 0)), 0);
    Put32(&bytes_, nameEntry + 4, 0x80000000u);  // the name level points back at the root
    EXPECT_NE(std::string::npos, LoadError().find("reached twice"));
    // Pointing at itself is the same loop.
    ASSERT_TRUE(ReadFileBytes(Fixture("fixture64.exe"), &bytes_));
    uint32_t typeDir = Target(Entry(0, 0));
    Put32(&bytes_, Entry(typeDir, 0) + 4, 0x80000000u | typeDir);
    EXPECT_NE(std::string::npos, LoadError().find("reached twice"));
}

TEST_F(DamagedResources, CountsOffsetsAndSizesPastTheSectionAreRefused) {
    Bytes good = bytes_;
    bytes_[root_ + 14] = 0xFF;  // 65535 id entries at the root
    bytes_[root_ + 15] = 0xFF;
    EXPECT_NE(std::string::npos, LoadError().find("run past"));
    bytes_ = good;
    Put32(&bytes_, Entry(0, 0) + 4, 0x80000000u | 0x7FFFFFF0u);
    EXPECT_NE(std::string::npos, LoadError().find("past the resource section"));
    // A data entry whose size runs far past the file.
    bytes_ = good;
    uint32_t names = Target(Entry(0, 0));
    uint32_t languages = Target(Entry(names, 0));
    uint32_t data = Get32(bytes_, Entry(languages, 0) + 4);
    Put32(&bytes_, root_ + data + 4, 0xFFFFFFF0u);
    EXPECT_NE(std::string::npos, LoadError().find("are not in the file"));
    // A fourth level where the data entry should be.
    bytes_ = good;
    Put32(&bytes_, Entry(languages, 0) + 4, 0x80000000u | data);
    EXPECT_NE(std::string::npos, LoadError().find("deeper than three levels"));
    // A string name whose length runs out of the section.
    bytes_ = good;
    Put32(&bytes_, Entry(0, 0), 0x80000000u | 0x7FFFFF00u);
    EXPECT_NE(std::string::npos, LoadError().find("past the resource section"));
}

TEST(PeResourcesInput, FilesThatAreNotProgramsGiveAReason) {
    pe::ResourceFile file;
    std::string error;
    EXPECT_FALSE(file.Load({}, &error));
    EXPECT_NE(std::string::npos, error.find("not a Windows program file"));
    std::string text = "; a package description, not a program\n[Setup]\nAppName = X\n";
    EXPECT_FALSE(file.Load(Bytes(text.begin(), text.end()), &error));
    EXPECT_NE(std::string::npos, error.find("no MZ header"));
    Bytes dosOnly(128, 0);
    dosOnly[0] = 'M';
    dosOnly[1] = 'Z';
    Put32(&dosOnly, 0x3C, 0xFFFFFFF0u);  // e_lfanew far past the end
    EXPECT_FALSE(file.Load(dosOnly, &error));
    EXPECT_NE(std::string::npos, error.find("no PE signature"));
    Put32(&dosOnly, 0x3C, 64);
    memcpy(&dosOnly[64], "PE\0\0", 4);
    dosOnly[64 + 4 + 16] = 0xF0;  // optional header larger than the file
    EXPECT_FALSE(file.Load(dosOnly, &error));
    EXPECT_NE(std::string::npos, error.find("optional header"));
    EXPECT_FALSE(file.LoadFile("/nonexistent/setup.exe", &error));
    EXPECT_NE(std::string::npos, error.find("/nonexistent/setup.exe"));
}

// A tree of hundreds of thousands of resources, every directory listed from
// the largest id down: read whole and in order (a sorted insertion of each
// would take hours here), a resource listed twice still refused.
TEST(PeResourceTrees, ATreeListedFromTheTopDownIsReadInOrder) {
    const int kCount = 400000;
    std::string path = testing::TempDir() + "/crafted_tree.exe";
    int status = -1;
    std::string said = testfiles::RunCommand("/usr/bin/python3 " + std::string(TESTS_SOURCE_DIR) +
                                                 "/tests/support/crafted_tree.py " + std::to_string(kCount) + " '" +
                                                 path + "' 2>&1",
                                             &status);
    ASSERT_EQ(0, status) << said;
    pe::ResourceFile file;
    std::string error;
    ASSERT_TRUE(file.LoadFile(path, &error)) << error;
    std::vector<pe::Resource> all = file.Resources();
    ASSERT_EQ(static_cast<size_t>(kCount), all.size());
    EXPECT_TRUE(all.front().type == pe::ResourceKey(uint16_t{1}) && all.front().name == pe::ResourceKey(uint16_t{1}) &&
                all.front().language == 1);
    for (size_t i = 1; i < all.size(); ++i) {
        const pe::Resource& a = all[i - 1];
        const pe::Resource& b = all[i];
        ASSERT_TRUE(a.type < b.type || (a.type == b.type && (a.name < b.name || (a.name == b.name && a.language < b.language))))
            << "resource " << i << " out of order";
    }
    EXPECT_EQ("DATA", std::string(reinterpret_cast<const char*>(all.back().data), all.back().size));

    // The first language directory lists 64, 63, ...: 63 made 64 again.
    Bytes bytes;
    ASSERT_TRUE(ReadFileBytes(path, &bytes));
    uint32_t rsrc = Get32(bytes, 0x58 + 224 + 20);
    uint32_t types = 16 + 8 * (bytes[rsrc + 14] | bytes[rsrc + 15] << 8);  // the first type directory, after the root
    uint32_t languages = Get32(bytes, rsrc + types + 16 + 4) & 0x7FFFFFFF;
    ASSERT_EQ(63u, Get32(bytes, rsrc + languages + 16 + 8));
    Put32(&bytes, rsrc + languages + 16 + 8, 64);
    EXPECT_FALSE(file.Load(bytes, &error));
    EXPECT_NE(std::string::npos, error.find("appears twice")) << error;
}

// A field of /proc/self/status in KB ("VmRSS", "VmHWM").
long MemoryKb(const char* field) {
    FILE* status = fopen("/proc/self/status", "r");
    char line[256];
    long kb = -1;
    while (status && fgets(line, sizeof(line), status)) {
        if (strncmp(line, field, strlen(field)) == 0 && line[strlen(field)] == ':') kb = atol(line + strlen(field) + 1);
    }
    if (status) fclose(status);
    return kb;
}

// The memory reading a crafted file of 1 MB takes, whose named entries point
// at names of up to 65,535 characters (tests/support/crafted_tree.py): the
// names are read where they lie, never copied per entry (gigabytes), and one
// long name repeated at many places is refused instead of sorted for hours.
TEST(PeResourceTrees, LongNamesAreReadWhereTheyLie) {
    const struct {
        const char* kind;
        const char* error;  // "" when the file is sound
    } cases[] = {
        {"nested", ""},
        {"shared", "appears twice"},
        {"repeated", "repeat long names"},
    };
    for (const auto& c : cases) {
        const std::string path = testing::TempDir() + "/long_names_" + c.kind + ".exe";
        int status = -1;
        std::string said = testfiles::RunCommand("/usr/bin/python3 " + std::string(TESTS_SOURCE_DIR) +
                                                     "/tests/support/crafted_tree.py --long-names " + c.kind +
                                                     " 1048576 '" + path + "' 2>&1",
                                                 &status);
        ASSERT_EQ(0, status) << said;
        // The peak resident size starts again from what is resident now.
        FILE* clear = fopen("/proc/self/clear_refs", "w");
        ASSERT_TRUE(clear != nullptr);
        fputs("5", clear);
        fclose(clear);
        const long before = MemoryKb("VmRSS");
        std::string error;
        {
            pe::ResourceFile file;
            const bool loaded = file.LoadFile(path, &error);
            EXPECT_EQ(*c.error == 0, loaded) << c.kind << ": " << error;
            if (loaded) {
                std::vector<pe::Resource> all = file.Resources();
                EXPECT_GT(all.size(), 20000u);
                for (size_t i = 1; i < all.size(); ++i) ASSERT_TRUE(all[i - 1].name < all[i].name) << i;
                EXPECT_EQ(65535u, all.back().name.NameLength());
            }
        }
        const long grown = MemoryKb("VmHWM") - before;
        EXPECT_LT(grown, 64 * 1024) << c.kind << ": " << grown << " KB more at the peak";
        if (*c.error) {
            EXPECT_NE(std::string::npos, error.find(c.error)) << c.kind << ": " << error;
        }
        remove(path.c_str());
    }
}

// Without a language, a resource is found as the system finds it for a
// program: neutral first, then the neutral language's defaults, French (the
// language of these programs' users), US English, and last the lowest number.
TEST(PeResourceLanguages, WithoutALanguageTheSystemsChoiceIsFound) {
    const struct {
        std::vector<uint16_t> present;
        uint16_t found;
    } cases[] = {
        {{0x0407, 0x0409, 0x040C, 0x0000}, 0x0000},
        {{0x0407, 0x0409, 0x040C, 0x0800}, 0x0800},
        {{0x0407, 0x0409, 0x040C}, 0x040C},
        {{0x0407, 0x0409}, 0x0409},
        {{0x041D, 0x0407}, 0x0407},
    };
    for (const auto& c : cases) {
        pe::ResourceFile file;
        for (uint16_t language : c.present) file.SetCopy("RT_DATA", "5001", language, std::to_string(language));
        file.SetCopy("RT_DATA", "5000", 0x0401, "other name");
        const pe::Resource* found = file.Find("RT_DATA", "5001");
        ASSERT_TRUE(found != nullptr);
        EXPECT_EQ(c.found, found->language) << "first of " << c.present.size() << " languages";
    }
    pe::ResourceFile empty;
    EXPECT_EQ(nullptr, empty.Find("RT_DATA", "5001"));
}

TEST(PeResourceKeys, TheDirectoryOrderPutsNamesFirstAndIgnoresLetterCase) {
    EXPECT_TRUE(pe::ResourceKey("RT_DATA") < pe::ResourceKey(uint16_t{1}));
    EXPECT_FALSE(pe::ResourceKey(uint16_t{1}) < pe::ResourceKey("ZZZ"));
    EXPECT_TRUE(pe::ResourceKey(uint16_t{2}) < pe::ResourceKey(uint16_t{14}));
    EXPECT_TRUE(pe::ResourceKey("5000") < pe::ResourceKey("5001"));
    EXPECT_TRUE(pe::ResourceKey("abc") < pe::ResourceKey("ABD"));
    EXPECT_TRUE(pe::ResourceKey("RT_D") < pe::ResourceKey("RT_DATA"));
    EXPECT_FALSE(pe::ResourceKey("5001") == pe::ResourceKey(uint16_t{5001}));
    EXPECT_EQ("#14", pe::ResourceKey(uint16_t{14}).Text());
    EXPECT_EQ("RT_DATA", pe::ResourceKey("RT_DATA").Text());
}

}  // namespace
