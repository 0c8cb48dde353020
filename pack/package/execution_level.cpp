// Rewriting the execution level of manifests (see execution_level.h).
#include "execution_level.h"

#include <stdint.h>

#include <vector>

#include "pe_resources.h"

const char kUninstallerResourceType[] = "RT_EXECUTABLE";

namespace {

const uint16_t kTypeManifest = 24;
const char kElement[] = "requestedExecutionLevel";
const char kAsInvoker[] = "asInvoker";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Finds the value of the level attribute of the requestedExecutionLevel
// element: its first byte in *begin, one past its last in *end.
bool FindLevel(const std::string& manifest, size_t* begin, size_t* end) {
    size_t at = manifest.find(std::string("<") + kElement);
    if (at == std::string::npos) return false;
    size_t i = at + 1 + sizeof(kElement) - 1;
    // Attributes: name, optional blanks, '=', optional blanks, quoted value.
    while (i < manifest.size() && manifest[i] != '>' && manifest[i] != '/') {
        if (IsBlank(manifest[i])) {
            ++i;
            continue;
        }
        size_t nameStart = i;
        while (i < manifest.size() && !IsBlank(manifest[i]) && manifest[i] != '=' && manifest[i] != '>') ++i;
        std::string name = manifest.substr(nameStart, i - nameStart);
        while (i < manifest.size() && IsBlank(manifest[i])) ++i;
        if (i >= manifest.size() || manifest[i] != '=') return false;
        ++i;
        while (i < manifest.size() && IsBlank(manifest[i])) ++i;
        if (i >= manifest.size() || (manifest[i] != '"' && manifest[i] != '\'')) return false;
        char quote = manifest[i++];
        size_t close = manifest.find(quote, i);
        if (close == std::string::npos) return false;
        if (name == "level") {
            *begin = i;
            *end = close;
            return true;
        }
        i = close + 1;
    }
    return false;
}

// Rewrites every manifest of a program; what names it in messages.
bool RewriteManifests(pe::ResourceFile* file, const std::string& what, std::string* error) {
    int rewritten = 0;
    for (const pe::Resource& resource : file->Resources()) {
        if (resource.type != pe::ResourceKey(kTypeManifest) || !resource.data) continue;
        std::string manifest(reinterpret_cast<const char*>(resource.data), resource.size), changed;
        if (!ManifestAsInvoker(manifest, &changed, error)) {
            *error = "the manifest of " + what + " " + *error;
            return false;
        }
        file->SetCopy(resource.type, resource.name, resource.language, changed, resource.codePage);
        ++rewritten;
    }
    if (rewritten == 0) *error = what + " has no manifest to make it ask for no administrator rights";
    return rewritten > 0;
}

}  // namespace

bool ManifestAsInvoker(const std::string& manifest, std::string* out, std::string* error) {
    size_t begin = 0, end = 0;
    if (!FindLevel(manifest, &begin, &end)) {
        *error = "has no requestedExecutionLevel element with a level";
        return false;
    }
    *out = manifest.substr(0, begin) + kAsInvoker + manifest.substr(end);
    return true;
}

std::string ManifestLevel(const std::string& manifest) {
    size_t begin = 0, end = 0;
    return FindLevel(manifest, &begin, &end) ? manifest.substr(begin, end - begin) : "";
}

bool MakeProgramsAsInvoker(pe::ResourceFile* setup, std::string* error) {
    if (!RewriteManifests(setup, "setup.exe", error)) return false;
    const pe::Resource* carried = setup->Find(kUninstallerResourceType, kUninstallerResourceId);
    if (!carried || !carried->data) {
        *error = "setup.exe carries no uninstaller (RT_EXECUTABLE 210)";
        return false;
    }
    // Copies: SetCopy below replaces the entry carried points at.
    const pe::ResourceKey type = carried->type, name = carried->name;
    const uint16_t language = carried->language;
    const uint32_t codePage = carried->codePage;
    pe::ResourceFile uninstaller;
    std::vector<uint8_t> image;
    if (!uninstaller.Load(std::vector<uint8_t>(carried->data, carried->data + carried->size), error)) {
        *error = "the uninstaller in setup.exe cannot be read: " + *error;
        return false;
    }
    if (!RewriteManifests(&uninstaller, "the uninstaller in setup.exe", error)) return false;
    if (!uninstaller.WriteToBytes(&image, error)) return false;
    setup->SetCopy(type, name, language, std::string(image.begin(), image.end()), codePage);
    return true;
}
