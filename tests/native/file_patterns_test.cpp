// Patterns of [Files], [Exclude] and definitions: matching, the order of what
// a pattern finds, the walk over a tree of our own (listed in any order), the
// description reader with patterns, and the Linux file system with links.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "definitions.h"
#include "exclusions.h"
#include "file_patterns.h"
#include "host_folders.h"
#include "letter_case.h"
#include "pack_description.h"
#include "pattern_expansion.h"
#include "test_files.h"
#include "tree_source.h"

namespace {

using testtree::TreeSource;

TEST(FilePatterns, NamesMatchWithLetterCaseIgnored) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*", "a.wav", true},          {"*.wav", "A.WAV", true},       {"*.wav", "a.wave", false},
        {"?.wav", "ab.wav", false},    {"??.wav", "ab.wav", true},     {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},    {"*a*", "bab", true},           {"*.*", "sansext", false},
        {"\xC9t\xE9*", "\xE9T\xC9.bmp", true},  // Été* matches éTÉ.bmp: code page 1252 letters fold too
        {"\x8C" "uvre", "\x9C" "UVRE", true},  // Œuvre, œUVRE
        {"x*", "", false},             {"*", "", true},                {"a?c", "a.c", true},
    };
    for (const auto& c : cases) EXPECT_EQ(c.matches, MatchName(c.pattern, c.name)) << c.pattern << " " << c.name;
}

TEST(FilePatterns, DoubleStarMatchesAnyNumberOfFolders) {
    const struct {
        const char* pattern;
        const char* path;
        bool matches;
    } cases[] = {
        {"data/**", "data/a", true},           {"data/**", "data/x/y/a", true}, {"data/**/*.wav", "data/a.wav", true},
        {"data/**/*.wav", "data/s/t/a.wav", true}, {"data/**/*.wav", "data/s/a.txt", false},
        {"**/.git", "a/b/.git", true},         {"**/.git", ".git", true},       {"data/*", "data/x/a", false},
        {"DATA/**", "data/a", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.matches, MatchPathParts(SplitPath(c.pattern), SplitPath(c.path))) << c.pattern << " " << c.path;
    }
}

TEST(FilePatterns, FixedPartIsWhatComesBeforeTheFirstWildcard) {
    const struct {
        const char* source;
        const char* fixed;
        const char* parts;
    } cases[] = {
        {"data/**", "data", "**"},        {"data/", "data", "**"},           {"data\\sons\\*.wav", "data\\sons", "*.wav"},
        {"*.txt", "", "*.txt"},           {"a/b*/c/*", "a", "b*|c|*"},       {"../commun/*.dll", "../commun", "*.dll"},
        {"data/sons/", "data/sons", "**"},     {"data/**/**/", "data", "**"},
    };
    for (const auto& c : cases) {
        FilePattern pattern;
        std::string problem;
        ASSERT_TRUE(ParseFilePattern(c.source, &pattern, &problem)) << c.source << ": " << problem;
        std::string parts;
        for (const std::string& part : pattern.parts) parts += (parts.empty() ? "" : "|") + part;
        EXPECT_EQ(c.fixed, pattern.fixed) << c.source;
        EXPECT_EQ(c.parts, parts) << c.source;
    }
    FilePattern pattern;
    std::string problem;
    EXPECT_FALSE(ParseFilePattern("data/a**/*", &pattern, &problem));
    EXPECT_FALSE(ParseFilePattern("data/*/../x", &pattern, &problem));
}

TEST(FilePatterns, TargetOrderGoesFolderByFolderWithCaseFolded) {
    std::vector<std::string> targets = {"b.txt", "a\\z.txt", "a-b.txt", "A.txt", "a\\b\\c.txt", "\xC9t\xE9.bmp",
                                        "e.txt", "a.txt"};
    std::sort(targets.begin(), targets.end(), TargetBefore);
    const std::vector<std::string> expected = {"a\\b\\c.txt", "a\\z.txt", "a-b.txt", "A.txt", "a.txt", "b.txt",
                                               "e.txt", "\xC9t\xE9.bmp"};
    EXPECT_EQ(expected, targets);
}

// The rules of [Exclude], one table: a name at any depth, a path from the
// description's folder, a separator at the end for folders only.
TEST(Exclusions, RulesAsATable) {
    Exclusions exclusions;
    std::string problem;
    for (const char* pattern : {"*.pdb", "Thumbs.db", ".git", "data/brouillons", "docs/**/*.tmp", "essais/",
                                "data\\vieux\\", "/racine"}) {
        ASSERT_TRUE(exclusions.Add(pattern, &problem)) << pattern;
    }
    const bool kFolder = true, kFile = false;
    const struct {
        const char* path;
        bool folder;
        bool excluded;
    } cases[] = {
        {"bin/jeu.pdb", kFile, true},           {"THUMBS.DB", kFile, true},            {"data/sons/thumbs.db", kFile, true},
        {"a/.git", kFolder, true},              {"a/.git", kFile, true},               {"bin/jeu.exe", kFile, false},
        {"data/brouillons", kFolder, true},     {"data/brouillons", kFile, true},      {"x/data/brouillons", kFolder, false},
        {"./data/brouillons", kFolder, true},   {"docs/a/b/c.tmp", kFile, true},       {"docs/c.tmp", kFile, true},
        {"c.tmp", kFile, false},
        // "essais/": the folder name at any depth, never a file.
        {"essais", kFolder, true},              {"data/niveaux/essais", kFolder, true}, {"data/niveaux/essais", kFile, false},
        // "data\vieux\": that one folder.
        {"data/vieux", kFolder, true},          {"x/data/vieux", kFolder, false},      {"data/vieux", kFile, false},
        // "/racine": the top folder's entry only.
        {"racine", kFolder, true},              {"racine", kFile, true},               {"data/racine", kFolder, false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.excluded, exclusions.Excludes(c.path, c.folder)) << c.path << " " << c.folder;
    // What is inside an excluded folder is excluded, whatever the folder a walk starts from.
    const struct {
        const char* folder;
        bool excluded;
    } inside[] = {
        {"data/brouillons/x", true}, {"data/niveaux/essais/n9", true}, {"./data/vieux/a/b", true}, {"racine/a", true},
        {"data/niveaux", false},     {"data", false},                  {"", false},                {"x/racine", false},
    };
    for (const auto& c : inside) EXPECT_EQ(c.excluded, exclusions.ExcludesAnyFolderOf(c.folder)) << c.folder;
    for (const char* bad : {"", "/", "a/../b", "a**/b"}) EXPECT_FALSE(exclusions.Add(bad, &problem)) << bad;
}

TEST(Definitions, SubstitutionAndArguments) {
    Definitions definitions;
    definitions.Set("Version", "2.1");
    definitions.Set("config", "Release");
    std::string out;
    std::string problem;
    ASSERT_TRUE(definitions.Substitute("Mon Jeu {#version} ({#Config})", &out, &problem));
    EXPECT_EQ("Mon Jeu 2.1 (Release)", out);
    ASSERT_TRUE(definitions.Substitute("{no} {#Version}{#Version}", &out, &problem));
    EXPECT_EQ("{no} 2.12.1", out);
    EXPECT_FALSE(definitions.Substitute("{#Autre}", &out, &problem));
    EXPECT_NE(std::string::npos, problem.find("{#Autre} is not defined"));

    std::pair<std::string, std::string> definition;
    EXPECT_TRUE(ParseDefinitionArgument("Version=2.1=b", &definition, &problem));
    EXPECT_EQ("Version", definition.first);
    EXPECT_EQ("2.1=b", definition.second);
    EXPECT_TRUE(ParseDefinitionArgument("Nom=\xC3\xA9t\xC3\xA9", &definition, &problem));  // UTF-8 "été"
    EXPECT_EQ("\xE9t\xE9", definition.second);
    for (const char* bad : {"Version", "=2", "2x=1", "a-b=1", "N=\xE2\x82\xAC\xE2\x98\x83"}) {
        EXPECT_FALSE(ParseDefinitionArgument(bad, &definition, &problem)) << bad;
    }
}

std::string Found(const std::string& pattern, const TreeSource& tree, const Exclusions& exclusions,
                  std::vector<std::string>* problems = nullptr) {
    std::vector<FoundFile> found;
    std::vector<std::string> mine;
    ExpandFilePattern(pattern, exclusions, tree, &found, problems ? problems : &mine);
    std::string text;
    for (const FoundFile& file : found) text += file.relative + "<" + file.source + " ";
    return text;
}

TEST(PatternExpansion, FindsTheSameFilesInTheSameOrderHoweverTheyAreListed) {
    const std::vector<std::string> tree = {"bin/jeu.exe", "data/sons/a.wav", "data/sons/B.WAV", "data/sons/Thumbs.db",
                                           "data/niveaux/n1.dat", "data/niveaux/.git/HEAD", "data/Thumbs.db",
                                           "data/vide/", "data/lisez-moi.txt", "data-old/x.txt"};
    Exclusions exclusions;
    std::string problem;
    ASSERT_TRUE(exclusions.Add("Thumbs.db", &problem));
    ASSERT_TRUE(exclusions.Add(".git", &problem));
    const struct {
        const char* pattern;
        const char* found;
    } cases[] = {
        {"data/", "lisez-moi.txt<data/lisez-moi.txt niveaux\\n1.dat<data/niveaux/n1.dat sons\\a.wav<data/sons/a.wav "
                  "sons\\B.WAV<data/sons/B.WAV "},
        {"data/**", "lisez-moi.txt<data/lisez-moi.txt niveaux\\n1.dat<data/niveaux/n1.dat sons\\a.wav<data/sons/a.wav "
                    "sons\\B.WAV<data/sons/B.WAV "},
        {"data/*", "lisez-moi.txt<data/lisez-moi.txt "},
        {"DATA/**/*.wav", "sons\\a.wav<data/sons/a.wav sons\\B.WAV<data/sons/B.WAV "},  // the folder as spelt on disk
        {"data/s?ns/*", "sons\\a.wav<data/sons/a.wav sons\\B.WAV<data/sons/B.WAV "},
        {"*/sons/*.wav", "data\\sons\\a.wav<data/sons/a.wav data\\sons\\B.WAV<data/sons/B.WAV "},
        {"data*/*.txt", "data\\lisez-moi.txt<data/lisez-moi.txt data-old\\x.txt<data-old/x.txt "},
        {"**/**/n1.dat", "data\\niveaux\\n1.dat<data/niveaux/n1.dat "},
    };
    for (const auto& c : cases) {
        for (unsigned seed = 1; seed <= 3; ++seed) {
            TreeSource source(tree, seed);
            EXPECT_EQ(c.found, Found(c.pattern, source, exclusions)) << c.pattern << " listed with seed " << seed;
        }
    }
}

TEST(PatternExpansion, ProblemsNameTheFileFound) {
    Exclusions none;
    const struct {
        std::vector<std::string> tree;
        const char* pattern;
        const char* problem;
    } cases[] = {
        {{"data/a.txt"}, "data/*.wav", "finds no file"},
        {{"data/a.txt"}, "sons/", "finds no file: there is no folder 'sons'"},
        {{"data/a.txt", "data/casse!"}, "data/", "broken link: 'data/casse' leads to nothing"},
        {{"data/a.txt", "data/x/boucle@"}, "data/**", "link loop: 'data/x/boucle' leads back to itself"},
        {{"data/a.txt", "data/r~sum~.txt"}, "data/*.txt", "the name of 'data/r~sum~.txt' has no code page 1252 form"},
    };
    for (const auto& c : cases) {
        TreeSource source(c.tree, 1);
        std::vector<std::string> problems;
        Found(c.pattern, source, none, &problems);
        ASSERT_EQ(1u, problems.size()) << c.pattern;
        EXPECT_EQ(0u, problems[0].find(c.problem)) << c.pattern << ": " << problems[0];
    }
    // What the pattern passes over is not looked at: a broken link outside it,
    // a name without a 1252 form that does not match.
    TreeSource source({"data/a.txt", "data/casse!", "data/r~sum~.wav"}, 1);
    std::vector<std::string> problems;
    EXPECT_EQ("a.txt<data/a.txt ", Found("data/*.txt", source, none, &problems));
    EXPECT_TRUE(problems.empty());
}

struct Read {
    bool ok;
    PackDescription description;
    std::vector<PackError> errors;
    std::string Files() const {
        std::string text;
        for (const PackFile& file : description.files) {
            text += (file.subFolder.empty() ? "" : file.subFolder + "\\") + file.name + "@" + std::to_string(file.line) + " ";
        }
        return text;
    }
    std::string Errors() const {
        std::string all;
        for (const PackError& error : errors) all += std::to_string(error.line) + ": " + error.message + "\n";
        return all;
    }
};

Read ReadWith(const std::string& text, const FolderSource& folders, const DefinitionList& definitions = {}) {
    Read read;
    PackReadOptions options;
    options.folders = &folders;
    options.definitions = definitions;
    read.ok = ParsePackDescription(text.data(), text.size(), options, &read.description, &read.errors);
    return read;
}

const char kHead[] = "[Setup]\nAppName = Atlas\nNoIcons = yes\n[Files]\n";  // files from line 5

TEST(DescriptionPatterns, PatternsExpandInPlaceAndFilesFoundAgainAreTakenOnce) {
    TreeSource tree({"atlas.exe", "data/b.dat", "data/A.dat", "data/sub/c.dat", "docs/x.pdb", "docs/lisez.txt"}, 2);
    Read read = ReadWith(std::string(kHead) +
                             "atlas.exe\n"
                             "data/b.dat = Donnees\n"  // listed, then found again by the next line
                             "data/ = Donnees\n"
                             "docs/*\n"
                             "**/*.dat = Donnees\\tout\n"
                             "docs/x.pdb\n"  // listed: never excluded
                             "[Exclude]\n"
                             "*.pdb\n",
                         tree);
    ASSERT_TRUE(read.ok) << read.Errors();
    EXPECT_EQ("atlas.exe@5 Donnees\\b.dat@6 Donnees\\A.dat@7 Donnees\\sub\\c.dat@7 lisez.txt@8 "
              "Donnees\\tout\\data\\A.dat@9 Donnees\\tout\\data\\b.dat@9 Donnees\\tout\\data\\sub\\c.dat@9 x.pdb@10 ",
              read.Files());
}

TEST(DescriptionPatterns, ErrorsNameTheLineOfThePattern) {
    TreeSource tree({"atlas.exe", "a/x.txt", "b/x.txt", "c/con.txt", "d/uninst.exe", "e/r~.txt"}, 1);
    const struct {
        const char* lines;
        int line;
        const char* message;
    } cases[] = {
        {"a/ \nb/\n", 7, "installs x.txt again (already on line 6)"},
        {"a/x.txt\nb/\n", 7, "installs x.txt again (already on line 6)"},
        {"vide/*\n", 6, "'vide/*' finds no file: there is no folder 'vide'"},
        {"a/*.wav\n", 6, "'a/*.wav' finds no file"},
        {"c/\n", 6, "found 'c/con.txt', whose name 'con.txt' is a reserved device name"},
        {"d/\n", 6, "uninst.exe in the install folder is the uninstaller"},
        {"e/\n", 6, "the name of 'e/r~.txt' has no code page 1252 form"},
        {"a/\n[Exclude]\nx.txt\n", 6, "'a/' finds no file (after [Exclude])"},
    };
    for (const auto& c : cases) {
        Read read = ReadWith(std::string(kHead) + "atlas.exe\n" + c.lines, tree);
        ASSERT_EQ(1u, read.errors.size()) << c.lines << "\n" << read.Errors();
        EXPECT_EQ(c.line, read.errors[0].line) << c.lines;
        EXPECT_NE(std::string::npos, read.errors[0].message.find(c.message)) << c.lines << "\n" << read.Errors();
    }
}

// Two sources for one target are refused naming both, however they were
// found: by one pattern, by a pattern and a line, letter case and accents
// folded alike; a pattern's folder that letter case leaves ambiguous too.
TEST(DescriptionPatterns, EveryClashIsRefusedNamingBoth) {
    TreeSource tree({"atlas.exe", "data/A.txt", "data/a.txt", "data/\xC9.txt", "data/\xE9.txt", "autre/\xE9.txt",
                     "Sons/x.wav", "sons/y.wav"},
                    3);
    const struct {
        const char* lines;
        std::vector<std::string> errors;  // line: what it says
    } cases[] = {
        {"data/**\n",
         {"6: installs a.txt again (already on line 6): from 'data/A.txt' and from 'data/a.txt', whose names differ "
          "only by letter case",
          "6: installs \xE9.txt again (already on line 6): from 'data/\xC9.txt' and from 'data/\xE9.txt'"}},
        // The line after the pattern is the file it found: taken once; the clash stays.
        {"data/*.TXT\ndata/a.txt\n",
         {"6: installs a.txt again (already on line 6): from 'data/A.txt' and from 'data/a.txt'",
          "6: installs \xE9.txt again (already on line 6): from 'data/\xC9.txt' and from 'data/\xE9.txt'"}},
        {"data/\xC9.txt = d\nautre/*.txt = d\n",
         {"7: installs d\\\xE9.txt again (already on line 6): from 'data/\xC9.txt' and from 'autre/\xE9.txt'"}},
        {"data/\xC9.txt = d\nautre/\xE9.txt = d\n",
         {"7: installs d\\\xE9.txt again (already on line 6): from 'data/\xC9.txt' and from 'autre/\xE9.txt'"}},
        {"SONS/*.wav\n", {"6: 'SONS/*.wav' names two folders, 'Sons' and 'sons', with letter case ignored"}},
        {"sons/*.wav\nSons/**\n", {}},  // as written: each its own folder
    };
    for (const auto& c : cases) {
        Read read = ReadWith(std::string(kHead) + "atlas.exe\n" + c.lines, tree);
        ASSERT_EQ(c.errors.size(), read.errors.size()) << c.lines << "\n" << read.Errors();
        for (size_t i = 0; i < c.errors.size(); ++i) {
            const std::string said = std::to_string(read.errors[i].line) + ": " + read.errors[i].message;
            EXPECT_EQ(0u, said.find(c.errors[i])) << c.lines << "\n" << said;
        }
    }
}

// Where the system takes two spellings for one file (Windows), a file listed
// in one and found in the other is one source, taken once.
TEST(DescriptionPatterns, OneFileSpeltTwoWaysIsTakenOnce) {
    class CaseBlindTree : public TreeSource {
    public:
        using TreeSource::TreeSource;
        bool SameFile(const std::string& a, const std::string& b) const override {
            return FoldCase(HostPathOf(a)) == FoldCase(HostPathOf(b));
        }
    };
    CaseBlindTree tree({"atlas.exe", "data/b.txt"}, 1);
    Read read = ReadWith(std::string(kHead) + "atlas.exe\nDATA/B.TXT\ndata/*\n", tree);
    ASSERT_TRUE(read.ok) << read.Errors();
    EXPECT_EQ("atlas.exe@5 B.TXT@6 ", read.Files());
}

// A pattern that starts inside an excluded folder finds nothing there; a
// folder name with a separator at its end is excluded at any depth.
TEST(DescriptionPatterns, ExcludedFoldersAreLeftOutWhereverAPatternStarts) {
    TreeSource tree({"atlas.exe", "data/niveaux/n1.dat", "data/niveaux/brouillons/n9.dat", "data/brouillons/n8.dat",
                     "brouillons/n7.dat"},
                    1);
    const struct {
        const char* lines;
        const char* files;  // or the error
    } cases[] = {
        {"data/**\n[Exclude]\nbrouillons/\n", "atlas.exe@5 niveaux\\n1.dat@6 "},
        {"data/niveaux/brouillons/**\n[Exclude]\ndata/niveaux/brouillons\n",
         "6: 'data/niveaux/brouillons/**' finds no file (after [Exclude])"},
        {"data/niveaux/brouillons/*.dat\n[Exclude]\nbrouillons/\n",
         "6: 'data/niveaux/brouillons/*.dat' finds no file (after [Exclude])"},
        {"**/*.dat\n[Exclude]\n/brouillons\n",
         "atlas.exe@5 data\\brouillons\\n8.dat@6 data\\niveaux\\brouillons\\n9.dat@6 data\\niveaux\\n1.dat@6 "},
        {"data/niveaux/brouillons/n9.dat\n[Exclude]\nbrouillons/\n", "atlas.exe@5 n9.dat@6 "},  // listed: kept
    };
    for (const auto& c : cases) {
        Read read = ReadWith(std::string(kHead) + "atlas.exe\n" + c.lines, tree);
        EXPECT_EQ(c.files, read.ok ? read.Files() : read.Errors().substr(0, read.Errors().size() - 1)) << c.lines;
    }
}

TEST(DescriptionPatterns, DefinitionsFromTheSectionAndTheCommandLine) {
    TreeSource tree({"bin/Release/atlas.exe", "bin/Debug/atlas.exe"}, 1);
    const std::string text = "[Setup]\nAppName = Atlas\nAppVerName = Atlas {#Version}\nNoIcons = yes\n"
                             "[Files]\nbin/{#Config}/atlas.exe\n[Defines]\nVersion = 1.0\nConfig = Release\n";
    Read defaults = ReadWith(text, tree);
    ASSERT_TRUE(defaults.ok) << defaults.Errors();
    EXPECT_STREQ("Atlas 1.0", defaults.description.record.appVerName);
    EXPECT_EQ("1.0", defaults.description.branding.version);
    EXPECT_EQ("bin/Release/atlas.exe", defaults.description.files[0].source);
    Read given = ReadWith(text, tree, {{"version", "2.1"}, {"Config", "Debug"}});
    ASSERT_TRUE(given.ok) << given.Errors();
    EXPECT_STREQ("Atlas 2.1", given.description.record.appVerName);
    EXPECT_EQ(2, given.description.branding.versionNumbers[0]);
    EXPECT_EQ("bin/Debug/atlas.exe", given.description.files[0].source);
}

// The Linux file system: links followed, a link to a folder above and a
// broken link refused, names in UTF-8 read in code page 1252.
TEST(HostFolders, LinksAreFollowedAndLoopsRefused) {
    char base[] = "/tmp/pack_folders_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(base));
    const std::string root = base;
    ASSERT_EQ(0, system(("mkdir -p " + root + "/data/sons " + root + "/autre && cd " + root +
                         " && echo a > data/sons/a.wav && echo b > autre/b.txt && printf x > 'data/\xC3\xA9t\xC3\xA9.txt'"
                         " && ln -s ../autre data/lien && ln -s ../autre/b.txt data/b2.txt")
                            .c_str()));
    HostFolders folders(root);
    Exclusions none;
    EXPECT_EQ("b2.txt<data/b2.txt lien\\b.txt<data/lien/b.txt sons\\a.wav<data/sons/a.wav \xE9t\xE9.txt<data/\xE9t\xE9.txt ",
              [&] {
                  std::vector<FoundFile> found;
                  std::vector<std::string> problems;
                  ExpandFilePattern("data/", none, folders, &found, &problems);
                  std::string text;
                  for (const FoundFile& file : found) text += file.relative + "<" + file.source + " ";
                  for (const std::string& problem : problems) text += "PROBLEM " + problem;
                  return text;
              }());
    ASSERT_EQ(0, system(("cd " + root + " && ln -s .. data/sons/haut && ln -s nulle-part data/casse && "
                         "printf x > 'data/\xE2\x98\x83.txt'").c_str()));
    std::vector<FoundFile> found;
    std::vector<std::string> problems;
    ExpandFilePattern("data/", none, folders, &found, &problems);
    std::string all;
    for (const std::string& problem : problems) all += problem + "\n";
    EXPECT_NE(std::string::npos, all.find("broken link: 'data/casse' leads to nothing")) << all;
    EXPECT_NE(std::string::npos, all.find("link loop: 'data/sons/haut' leads back to a folder above it")) << all;
    EXPECT_NE(std::string::npos, all.find("has no code page 1252 form")) << all;
    EXPECT_EQ(3u, problems.size()) << all;
    system(("rm -rf " + root).c_str());
}

// The Linux file system, where names differ by letter case: every file of
// the tree is in the package or named in an error, however it was found.
TEST(HostFolders, FilesThatDifferOnlyByLetterCaseAreNeverDropped) {
    char base[] = "/tmp/pack_case_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(base));
    const std::string root = base;
    ASSERT_EQ(0, system(("cd " + root + " && mkdir data Sons sons && echo p > atlas.exe && echo A > data/A.txt && "
                         "echo a > data/a.txt && echo E > 'data/\xC3\x89.txt' && echo e > 'data/\xC3\xA9.txt' && "
                         "echo x > Sons/x.wav && echo y > sons/y.wav && ln -s a.txt data/lien.txt").c_str()));
    HostFolders folders(root);
    EXPECT_TRUE(folders.SameFile("data/a.txt", "./data/lien.txt"));
    EXPECT_FALSE(folders.SameFile("data/a.txt", "data/A.txt"));
    const struct {
        const char* lines;
        const char* said;  // the first error
        size_t errors;
    } cases[] = {
        {"data/**\n", "6: installs a.txt again (already on line 6): from 'data/A.txt' and from 'data/a.txt'", 2},
        {"data/*.TXT\ndata/a.txt\n", "6: installs a.txt again (already on line 6): from 'data/A.txt' and from 'data/a.txt'",
         2},
        {"SONS/**\n", "6: 'SONS/**' names two folders, 'Sons' and 'sons'", 1},
    };
    for (const auto& c : cases) {
        Read read = ReadWith(std::string(kHead) + "atlas.exe\n" + c.lines, folders);
        EXPECT_EQ(0u, read.Errors().find(c.said)) << c.lines << read.Errors();
        EXPECT_EQ(c.errors, read.errors.size()) << c.lines << read.Errors();
    }
    system(("rm -rf " + root).c_str());
}

}  // namespace
