// Folders held open along a chain: held ones cannot be renamed, released ones
// can; links are refused on the opened handle; levels made on the way are
// reported outermost first; the held prefix is kept from one call to the next.
// And paths compared as the places they name (short names, doubled
// backslashes, letter case), which the chains are built from.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "folder_links.h"
#include "held_folders.h"
#include "install_checks.h"
#include "path_rules.h"
#include "resolved_path.h"
#include "test_env.h"

namespace {

using namespace testenv;
using namespace wintest;

class Recorder : public CreatedFolders {
public:
    int FolderCreated(const char* folder) override {
        made.push_back(folder);
        return 1;
    }
    std::vector<std::string> made;
};

// Whether the folder can be renamed now; a rename that works is undone.
bool CanRename(const std::string& folder) {
    std::string moved = folder + "-moved";
    if (!MoveFileA(folder.c_str(), moved.c_str())) return false;
    EXPECT_TRUE(MoveFileA(moved.c_str(), folder.c_str()));
    return true;
}

void MakeFolders(const std::string& root, const std::vector<std::string>& parts) {
    std::string path = root;
    for (const std::string& part : parts) {
        path += "\\" + part;
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    }
}

TEST(HeldFolders, EveryLevelOfTheChainIsHeldUntilReleased) {
    ScratchDir dir("held");
    MakeFolders(dir.path(), {"a", "b", "c"});
    CHeldFolders held;
    ASSERT_EQ(1, held.Hold(dir.path().c_str(), (dir / "a\\b\\c").c_str(), nullptr));
    EXPECT_EQ(4, held.HeldLevels());
    EXPECT_FALSE(CanRename(dir / "a"));
    EXPECT_FALSE(CanRename(dir / "a\\b\\c"));
    EXPECT_FALSE(RemoveDirectoryA((dir / "a\\b\\c").c_str()));
    // Files inside held folders come and go as usual.
    Touch(dir / "a\\b\\c\\f.txt");
    EXPECT_TRUE(DeleteFileA((dir / "a\\b\\c\\f.txt").c_str()));
    held.Release();
    EXPECT_EQ(0, held.HeldLevels());
    EXPECT_TRUE(CanRename(dir / "a"));
}

TEST(HeldFolders, SiblingReleasesOnlyTheDeeperLevelsAndCaseIsIgnored) {
    ScratchDir dir("held");
    MakeFolders(dir.path(), {"a", "b", "c"});
    MakeFolders(dir / "a", {"d"});
    CHeldFolders held;
    ASSERT_EQ(1, held.Hold(dir.path().c_str(), (dir / "a\\b\\c").c_str(), nullptr));
    // The same chain spelled in other letter cases, with a closing backslash.
    std::string upper = dir.path();
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    ASSERT_EQ(1, held.Hold((upper + "\\").c_str(), (upper + "\\A\\B\\C\\").c_str(), nullptr));
    EXPECT_EQ(4, held.HeldLevels());
    ASSERT_EQ(1, held.Hold(dir.path().c_str(), (dir / "a\\d").c_str(), nullptr));
    EXPECT_EQ(3, held.HeldLevels());
    EXPECT_TRUE(CanRename(dir / "a\\b"));
    EXPECT_FALSE(CanRename(dir / "a\\d"));
    EXPECT_FALSE(CanRename(dir / "a"));
    // The root alone.
    ASSERT_EQ(1, held.Hold(dir.path().c_str(), dir.path().c_str(), nullptr));
    EXPECT_EQ(1, held.HeldLevels());
    EXPECT_TRUE(CanRename(dir / "a"));
}

TEST(HeldFolders, MissingLevelsAreMadeAndReportedInOrder) {
    ScratchDir dir("held");
    MakeFolders(dir.path(), {"a"});
    Recorder recorder;
    CHeldFolders held;
    // Without a recorder nothing is made.
    EXPECT_EQ(0, held.Hold(dir.path().c_str(), (dir / "a\\x\\y").c_str(), nullptr));
    EXPECT_FALSE(FolderExists(dir / "a\\x"));
    ASSERT_EQ(1, held.Hold(dir.path().c_str(), (dir / "a\\x\\y\\z").c_str(), &recorder));
    EXPECT_EQ((std::vector<std::string>{dir / "a\\x", dir / "a\\x\\y", dir / "a\\x\\y\\z"}), recorder.made);
    EXPECT_FALSE(CanRename(dir / "a\\x\\y\\z"));
    recorder.made.clear();
    ASSERT_EQ(1, held.Hold(dir.path().c_str(), (dir / "a\\x\\w").c_str(), &recorder));
    EXPECT_EQ((std::vector<std::string>{dir / "a\\x\\w"}), recorder.made);
}

TEST(HeldFolders, NamesThatLeaveTheChainOrAreNoFolderAreRefused) {
    ScratchDir dir("held");
    MakeFolders(dir.path(), {"a"});
    Touch(dir / "a\\fichier");
    Recorder recorder;
    CHeldFolders held;
    const std::string root = dir.path();
    for (const std::string& bad : {dir / "a\\..\\a", dir / "a\\.", dir / "a\\\\b", root + "2", root + "/a",
                                   dir / "a\\fichier", dir / "a\\fichier\\sous"}) {
        EXPECT_EQ(0, held.Hold(root.c_str(), bad.c_str(), &recorder)) << bad;
    }
    EXPECT_TRUE(recorder.made.empty());
    EXPECT_EQ(0, held.Hold((dir / "absent").c_str(), (dir / "absent").c_str(), nullptr));
}

TEST(HeldFolders, LinksAreRefusedAsLevelAndAsRoot) {
    ScratchDir dir("held");
    MakeFolders(dir.path(), {"a"});
    MakeFolders(dir.path(), {"ailleurs"});
    FolderLink link(dir / "a\\lien", dir / "ailleurs");
    if (!link.made()) GTEST_SKIP() << "no folder links here";
    Recorder recorder;
    CHeldFolders held;
    EXPECT_EQ(0, held.Hold(dir.path().c_str(), (dir / "a\\lien").c_str(), nullptr));
    EXPECT_EQ(0, held.Hold(dir.path().c_str(), (dir / "a\\lien\\sous").c_str(), &recorder));
    EXPECT_TRUE(recorder.made.empty());
    EXPECT_FALSE(FolderExists(dir / "ailleurs\\sous")) << "a level was made behind the link";
    // The levels before the link stay held.
    EXPECT_EQ(2, held.HeldLevels());
    EXPECT_EQ(0, held.Hold((dir / "a\\lien").c_str(), (dir / "a\\lien").c_str(), nullptr));
    EXPECT_EQ(0, held.HeldLevels());
}

TEST(ResolvedPath, SpellingsOfOnePlaceResolveAlike) {
    ScratchDir dir("resolve");
    std::string folder = dir / "Dossier Longue Application";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    Touch(folder + "\\fichier.txt");
    char shortForm[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA(folder.c_str(), shortForm, sizeof(shortForm)), 0u);
    char resolved[kPathSize];
    for (const std::string& spelling : {std::string(shortForm), folder + "\\", dir / "\\Dossier Longue Application",
                                        folder + "\\.\\x\\..", std::string(shortForm) + "\\\\"}) {
        ASSERT_EQ(1, ResolvePath(spelling.c_str(), resolved)) << spelling;
        EXPECT_EQ(folder, resolved) << spelling;
    }
    // A part that does not exist is kept as written, after the long folder.
    ASSERT_EQ(1, ResolvePath((std::string(shortForm) + "\\absent\\Nouveau.txt").c_str(), resolved));
    EXPECT_EQ(folder + "\\absent\\Nouveau.txt", resolved);
    std::string upper = folder;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    EXPECT_EQ(1, SamePlace((upper + "\\FICHIER.TXT").c_str(), (std::string(shortForm) + "\\fichier.txt").c_str()));
    EXPECT_EQ(0, SamePlace((folder + "\\fichier.txt").c_str(), (folder + "\\fichier.tx").c_str()));
    EXPECT_EQ(1, PlaceWithin(shortForm, (folder + "\\sous\\x").c_str()));
    EXPECT_EQ(1, PlaceWithin(shortForm, folder.c_str()));
    EXPECT_EQ(0, PlaceWithin(shortForm, (folder + "2").c_str()));
    EXPECT_EQ(0, PlaceWithin(folder.c_str(), dir.path().c_str()));
    EXPECT_EQ(1, PathWithin("C:\\", "C:\\Jeux"));
    EXPECT_EQ(0, ResolvePath("", resolved));
}

}  // namespace
