// The entry in the list of installed programs after a real installation,
// read back with the system's reg.exe: version and publisher when the package
// gives them (and only then), icon, folder, size, and no modify or repair.
#include <windows.h>

#include <gtest/gtest.h>

#include "install_checks.h"
#include "registration_texts.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

std::string Texts(const char* version, const char* publisher) {
    uint8_t bytes[2 * kPathSize];
    size_t n = EncodeRegistrationTexts(version, publisher, bytes, sizeof(bytes));
    return std::string(reinterpret_cast<const char*>(bytes), n);
}

TEST(UninstallEntry, EveryValueOfAnInstallationWithVersionAndPublisher) {
    std::string app = UniqueName("Entry");
    SystemCleanup cleanup(app, app);
    ScratchDir target("entry");
    std::string installDir = target / "Mon Jeu";
    PackageContents p = PlainPackage(app, installDir);
    p.AddFile("jeu.exe", "", std::string(3000, 'x'));
    p.AddFile("carte.dat", "donnees", std::string(1097, 'y'));  // 4097 bytes in all: 5 KB
    p.registration = Texts("1.4.2", "Editions Cartes");
    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.InstallToEnd(p));
    run.Close();

    std::map<std::string, RegValue> values = RegListUninstallKey(app);
    ASSERT_FALSE(values.empty()) << "reg.exe lists no key";
    auto expect = [&](const char* name, const char* type, const std::string& data) {
        auto found = values.find(name);
        ASSERT_TRUE(found != values.end()) << name;
        EXPECT_EQ(type, found->second.type) << name;
        EXPECT_EQ(data, found->second.data) << name;
    };
    expect("DisplayName", "REG_SZ", app + " 2.5");
    expect("UninstallString", "REG_SZ", "\"" + installDir + "\\uninst.exe\"");
    expect("DisplayVersion", "REG_SZ", "1.4.2");
    expect("Publisher", "REG_SZ", "Editions Cartes");
    expect("DisplayIcon", "REG_SZ", installDir + "\\jeu.exe");
    expect("InstallLocation", "REG_SZ", installDir);
    expect("EstimatedSize", "REG_DWORD", "0x5");
    expect("NoModify", "REG_DWORD", "0x1");
    expect("NoRepair", "REG_DWORD", "0x1");
    EXPECT_EQ(9u, values.size());
}

// A package without the texts (no AppVersion, no Publisher, or one written
// before they existed) registers neither; one byte of payload is 1 KB.
TEST(UninstallEntry, NoVersionNorPublisherWithoutTheirTexts) {
    std::string app = UniqueName("NoVer");
    SystemCleanup cleanup(app, app);
    ScratchDir target("entry");
    PackageContents p = PlainPackage(app, target / "app");
    p.AddFile("petit.exe", "", "M");
    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.InstallToEnd(p));
    run.Close();
    std::map<std::string, RegValue> values = RegListUninstallKey(app);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(0u, values.count("DisplayVersion"));
    EXPECT_EQ(0u, values.count("Publisher"));
    EXPECT_EQ("0x1", values["EstimatedSize"].data);
    EXPECT_EQ(target / "app\\petit.exe", values["DisplayIcon"].data);
}

}  // namespace
