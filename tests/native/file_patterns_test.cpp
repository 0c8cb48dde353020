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
#include "pack_description.h"
#include "pattern_expansion.h"
#include "test_files.h"

namespace {

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

TEST(Exclusions, NamesAtAnyDepthAndPathsFromTheDescription) {
    Exclusions exclusions;
    std::string problem;
    for (const char* pattern : {"*.pdb", "Thumbs.db", ".git", "data/brouillons/", "docs/**/*.tmp"}) {
        ASSERT_TRUE(exclusions.Add(pattern, &problem)) << pattern;
    }
    const struct {
        const char* path;
        bool excluded;
    } cases[] = {
        {"bin/jeu.pdb", true},        {"THUMBS.DB", true},           {"data/sons/thumbs.db", true},
        {"a/.git", true},             {"data/brouillons", true},     {"x/data/brouillons", false},
        {"docs/a/b/c.tmp", true},     {"docs/c.tmp", true},          {"c.tmp", false},
        {"bin/jeu.exe", false},       {"./data/brouillons", true},
    };
    for (const auto& c : cases) EXPECT_EQ(c.excluded, exclusions.Excludes(c.path)) << c.path;
    EXPECT_FALSE(exclusions.Add("", &problem));
    EXPECT_FALSE(exclusions.Add("a/../b", &problem));
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

// A tree of our own: paths with '/', each a file, a folder (ending in '/'), a
// broken link ("!") or a link loop ("@"); listed in a shuffled order.
class TreeSource : public FolderSource {
public:
    TreeSource(const std::vector<std::string>& paths, unsigned seed) : seed_(seed) {
        kinds_["."] = FolderEntry::kFolder;
        for (std::string path : paths) {
            FolderEntry::Kind kind = FolderEntry::kFile;
            if (path.back() == '/') {
                kind = FolderEntry::kFolder;
                path.pop_back();
            } else if (path.back() == '!') {
                kind = FolderEntry::kBrokenLink;
                path.pop_back();
            } else if (path.back() == '@') {
                kind = FolderEntry::kLinkLoop;
                path.pop_back();
            }
            kinds_["./" + path] = kind;
            // Every folder above it.
            for (size_t cut = path.find('/'); cut != std::string::npos; cut = path.find('/', cut + 1)) {
                kinds_["./" + path.substr(0, cut)] = FolderEntry::kFolder;
            }
        }
    }
    std::string HostPathOf(const std::string& source) const override {
        std::string path = "./" + source;
        std::replace(path.begin(), path.end(), '\\', '/');
        return path == "./." ? "." : path;
    }
    std::string Join(const std::string& folder, const std::string& name) const override { return folder + "/" + name; }
    bool Describe(const std::string& path, FolderEntry* entry) const override {
        auto at = kinds_.find(path);
        if (at == kinds_.end()) return false;
        entry->kind = at->second;
        entry->identity = path;
        return true;
    }
    bool List(const std::string& folder, std::vector<FolderEntry>* entries, std::string*) const override {
        entries->clear();
        for (const auto& item : kinds_) {
            if (item.first.size() > folder.size() + 1 && item.first.compare(0, folder.size() + 1, folder + "/") == 0 &&
                item.first.find('/', folder.size() + 1) == std::string::npos) {
                FolderEntry entry;
                entry.name = item.first.substr(folder.size() + 1);
                entry.kind = item.second;
                entry.identity = item.first;
                entries->push_back(entry);
            }
        }
        std::shuffle(entries->begin(), entries->end(), std::mt19937(seed_ + static_cast<unsigned>(folder.size())));
        return true;
    }
    bool NameToCp1252(const std::string& name, std::string* cp1252) const override {
        *cp1252 = name;
        return name.find('~') == std::string::npos;  // '~' stands for a character 1252 lacks
    }

private:
    std::map<std::string, FolderEntry::Kind> kinds_;
    unsigned seed_;
};

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

}  // namespace
