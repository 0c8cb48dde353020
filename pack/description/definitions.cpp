// Definitions and their substitution (see definitions.h).
#include "definitions.h"

#include "cp1252.h"

namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

bool IsDefinitionName(const std::string& name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) return false;
    }
    return true;
}

bool ParseDefinitionArgument(const std::string& argument, std::pair<std::string, std::string>* definition,
                             std::string* problem) {
    size_t equals = argument.find('=');
    if (equals == std::string::npos) {
        *problem = "a definition is Name=Value, not '" + argument + "'";
        return false;
    }
    std::string name = argument.substr(0, equals);
    if (!IsDefinitionName(name)) {
        *problem = "'" + name + "' is not a definition name (letters, digits and _, not starting with a digit)";
        return false;
    }
    std::string value = argument.substr(equals + 1);
    // A command line of Linux is UTF-8; the description's texts are code page 1252.
    if (HasNonAscii(value) && IsValidUtf8(value)) {
        int badLine = 0;
        uint32_t codePoint = 0;
        value = Utf8ToCp1252(value, &badLine, &codePoint);
        if (badLine) {
            *problem = "the value of " + name + " holds a character that code page 1252, which setup uses, cannot hold";
            return false;
        }
    }
    *definition = {name, value};
    return true;
}

void Definitions::Set(const std::string& name, const std::string& value) { values_[LowerAscii(name)] = value; }

bool Definitions::Has(const std::string& name) const { return values_.count(LowerAscii(name)) != 0; }

bool Definitions::Substitute(const std::string& text, std::string* out, std::string* problem) const {
    out->clear();
    size_t at = 0;
    while (true) {
        size_t open = text.find("{#", at);
        if (open == std::string::npos) break;
        size_t close = text.find('}', open);
        if (close == std::string::npos) {
            *problem = "'{#' without its closing '}'";
            return false;
        }
        std::string name = text.substr(open + 2, close - open - 2);
        auto value = values_.find(LowerAscii(name));
        if (value == values_.end()) {
            *problem = "{#" + name + "} is not defined (define it in [Defines] or with -D " +
                       (IsDefinitionName(name) ? name : std::string("Name")) + "=...)";
            return false;
        }
        *out += text.substr(at, open - at) + value->second;
        at = close + 1;
    }
    *out += text.substr(at);
    return true;
}
