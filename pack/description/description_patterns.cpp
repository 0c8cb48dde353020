// Patterns of [Files] expanded into files (see description_patterns.h).
#include "description_patterns.h"

#include <algorithm>
#include <unordered_map>

#include "file_patterns.h"
#include "letter_case.h"

namespace {

std::string TargetOf(const PackFile& file) {
    return FoldCase(file.subFolder.empty() ? file.name : file.subFolder + "\\" + file.name);
}

}  // namespace

std::string PatternProblem(const std::string& source, bool first) {
    if (first) {
        return "the first line of [Files] names the main program, one file, not the pattern '" + source +
               "'; list that program first, then the pattern";
    }
    FilePattern pattern;
    std::string problem;
    if (!ParseFilePattern(source, &pattern, &problem)) return "pattern '" + source + "': " + problem;
    for (const std::string& part : pattern.parts) {
        if (part == "**") continue;
        for (char c : part) {
            if (static_cast<unsigned char>(c) < 32 || std::string(":\"<>|").find(c) != std::string::npos) {
                return "pattern '" + source + "' has a part '" + part + "' that no file name can match";
            }
        }
    }
    return "";
}

void ExpandFilePatterns(const Exclusions& exclusions, const FolderSource& folders, std::vector<PackFile>* files,
                        std::vector<PackError>* problems) {
    std::vector<PackFile> expanded;
    expanded.reserve(files->size());
    // Each target taken so far, with its sources and whether a pattern found them.
    struct Taken {
        std::string source;
        bool found;
    };
    std::unordered_map<std::string, std::vector<Taken>> taken;
    // One source: the same path, or (letter case aside) the same file, which
    // is what a file listed as "DATA/A.TXT" and found as "data/a.txt" is on
    // Windows; two Linux files "a.txt" and "A.txt" are two sources.
    auto sameSource = [&](const std::string& a, const std::string& b) {
        return a == b || (FoldCase(a) == FoldCase(b) && folders.SameFile(a, b));
    };
    auto keep = [&](PackFile file, bool found) {
        if (file.valid) {
            std::vector<Taken>& sources = taken[TargetOf(file)];
            const std::string source = NormalSource(file.source);
            for (const Taken& before : sources) {
                if ((found || before.found) && sameSource(before.source, source)) return;
            }
            sources.push_back({source, found});
        }
        expanded.push_back(std::move(file));
    };
    for (PackFile& file : *files) {
        if (!file.pattern || !file.valid) {
            keep(file, false);
            continue;
        }
        std::vector<FoundFile> found;
        std::vector<std::string> why;
        ExpandFilePattern(file.source, exclusions, folders, &found, &why);
        for (const std::string& problem : why) {
            const bool sentence = problem.compare(0, 5, "finds") == 0 || problem.compare(0, 5, "names") == 0;
            problems->push_back({file.line, "'" + file.source + "'" + (sentence ? " " : ": ") + problem});
        }
        for (const FoundFile& each : found) {
            PackFile one;
            one.source = each.source;
            one.line = file.line;
            size_t slash = each.relative.find_last_of('\\');
            one.name = slash == std::string::npos ? each.relative : each.relative.substr(slash + 1);
            std::string folder = slash == std::string::npos ? "" : each.relative.substr(0, slash);
            one.subFolder = file.subFolder.empty() ? folder : folder.empty() ? file.subFolder : file.subFolder + "\\" + folder;
            for (const std::string& part : SplitPath(each.relative)) {
                std::string problem = PackNameProblem(part);
                if (!problem.empty()) {
                    problems->push_back({file.line, "found '" + each.source + "', whose name '" + part + "' " + problem});
                    one.valid = false;
                    break;
                }
            }
            if (one.valid && one.subFolder.size() > kMaxPathLength) {
                problems->push_back({file.line, "found '" + each.source + "', whose sub-folder is longer than 259 characters"});
                one.valid = false;
            }
            keep(std::move(one), true);
        }
    }
    files->swap(expanded);
}
