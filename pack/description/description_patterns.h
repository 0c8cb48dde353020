// The hook between the description reader and the patterns of [Files]: the
// checks of a pattern line, and the expansion of every pattern into the files
// it finds, in place, each found file taken once.
#pragma once

#include <string>
#include <vector>

#include "exclusions.h"
#include "pack_description.h"
#include "pattern_expansion.h"

// The problem of a pattern given as a source of [Files] ("" when it can be
// used); first: it is on the first file line, which must name the main program.
std::string PatternProblem(const std::string& source, bool first);

// Replaces each valid pattern of files by the files it finds (in the order of
// TargetBefore, below the pattern's sub-folder), on the pattern's line. A
// file found again (listed, or found by an earlier pattern, from the same
// source to the same target) is taken once, at its first place; one target
// from two sources (two files whose names differ only by letter case
// included) is left for the reader's check of clashing targets.
// Problems go to *problems with the pattern's line.
void ExpandFilePatterns(const Exclusions& exclusions, const FolderSource& folders, std::vector<PackFile>* files,
                        std::vector<PackError>* problems);
