// pack writes a package's resources itself, on Windows and on Linux alike.
// Here the same changes are made a second time with the system's own
// resource-update functions, and both program files must read back equal,
// entry by entry, and both must be accepted by the system's loader.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <string>
#include <tuple>

#include "package_writer.h"
#include "pe_resources.h"
#include "install_checks.h"
#include "test_env.h"

namespace {

using Entry = std::tuple<std::string, std::string, uint16_t>;  // type, name, language

std::map<Entry, std::string> ReadEntries(const std::string& path) {
    std::map<Entry, std::string> entries;
    pe::ResourceFile file;
    std::string error;
    EXPECT_TRUE(file.LoadFile(path, &error)) << path << ": " << error;
    for (const pe::Resource& r : file.Resources()) {
        entries[Entry(r.type.Text(), r.name.Text(), r.language)] =
            std::string(reinterpret_cast<const char*>(r.data), r.size);
    }
    return entries;
}

// Writes into exe, with the system's functions, the package resources of
// contents as pack stores them (RT_DATA, language neutral), and the version
// information that `ours` carries (pack composes it; it replaces every
// language of setup's own). Every other resource is left as setup has it.
void UpdateWithTheSystem(const std::string& exe, const std::string& ours, const PackageContents& contents) {
    pe::ResourceFile before, after;
    std::string error;
    ASSERT_TRUE(before.LoadFile(exe, &error)) << error;
    ASSERT_TRUE(after.LoadFile(ours, &error)) << error;
    HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
    ASSERT_TRUE(update != nullptr);
    auto data = [&](const char* name, const std::string& bytes) {
        EXPECT_TRUE(UpdateResourceA(update, "RT_DATA", name, 0, const_cast<char*>(bytes.data()),
                                    static_cast<DWORD>(bytes.size())))
            << name;
    };
    data("5000", contents.payload);
    data("5001", contents.EncodedRecord());
    data("5010", contents.license);
    const uint16_t kVersion = 16;
    for (const pe::Resource& r : before.Resources()) {
        if (r.type == pe::ResourceKey(kVersion)) {
            EXPECT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(kVersion), MAKEINTRESOURCEA(r.name.Id()), r.language,
                                        nullptr, 0));
        }
    }
    for (const pe::Resource& r : after.Resources()) {
        if (r.type == pe::ResourceKey(kVersion)) {
            EXPECT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(kVersion), MAKEINTRESOURCEA(r.name.Id()), r.language,
                                        const_cast<uint8_t*>(r.data), static_cast<DWORD>(r.size)));
        }
    }
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
}

TEST(PackWriter, WritesWhatTheSystemsResourceFunctionsWrite) {
    testenv::ScratchDir dir("syswriter");
    std::string setup = testenv::Program("setup.exe");
    PackageContents contents;
    strcpy(contents.record.appName, "Comparaison");
    strcpy(contents.record.appVerName, "Comparaison 1.2");
    contents.AddFile("prog.exe", "", std::string(70000, 'p'));
    contents.AddFile("donnees.bin", "donnees", "quelques octets");
    contents.writeLicense = true;
    contents.license = "Licence d'essai\r\n";
    std::string ours = dir / "ours.exe", system = dir / "system.exe", error;
    ASSERT_TRUE(WritePackage(setup, ours, contents, &error)) << error;
    ASSERT_TRUE(CopyFileA(setup.c_str(), system.c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(UpdateWithTheSystem(system, ours, contents));

    std::map<Entry, std::string> a = ReadEntries(ours), b = ReadEntries(system);
    EXPECT_EQ(a.size(), b.size());
    for (const auto& [entry, bytes] : a) {
        auto other = b.find(entry);
        ASSERT_TRUE(other != b.end()) << std::get<0>(entry) << "/" << std::get<1>(entry) << " only in ours";
        EXPECT_TRUE(bytes == other->second) << std::get<0>(entry) << "/" << std::get<1>(entry) << " differs";
    }
    // Both load as program files, and the system finds the package in ours.
    for (const std::string& path : {ours, system}) {
        wintest::DataModule module(path);
        ASSERT_TRUE(module.get() != nullptr) << path;
        bool found = false;
        EXPECT_EQ(contents.EncodedRecord(), module.Resource("RT_DATA", "5001", &found)) << path;
        EXPECT_TRUE(found) << path;
    }
}

}  // namespace
