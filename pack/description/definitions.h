// Definitions of a description: names given a text by the [Defines] section
// (defaults) and by the command line (`-D Name=Value`, which wins), put into
// the description wherever "{#Name}" appears in a value or a source:
//
//   [Defines]
//   Version = 2.0
//   [Setup]
//   AppVerName = Mon Jeu {#Version}
//   [Files]
//   bin/{#Config}/monjeu.exe
//
// Names are letters, digits and '_' (not starting with a digit); letter case
// is ignored. What a definition puts in is not searched for "{#" again.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

// A definition from the command line: "Name=Value" taken apart; false with
// the problem when there is no '=' or the name is not one.
bool ParseDefinitionArgument(const std::string& argument, std::pair<std::string, std::string>* definition,
                             std::string* problem);

// True when name can be defined.
bool IsDefinitionName(const std::string& name);

class Definitions {
public:
    void Set(const std::string& name, const std::string& value);
    bool Has(const std::string& name) const;

    // text with every "{#Name}" replaced; false with the problem (a name not
    // defined, a "{#" without its '}') when that cannot be done.
    bool Substitute(const std::string& text, std::string* out, std::string* problem) const;

private:
    std::map<std::string, std::string> values_;  // by lower-case name
};
