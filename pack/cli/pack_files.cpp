// `pack files`: the payload a description makes, file by file.
#include "pack_files.h"

#include "console.h"
#include "host_files.h"
#include "pack_build.h"
#include "package_writer.h"

int ListPackageFiles(const std::string& descriptionPath, const DefinitionList& definitions) {
    PackageContents contents;
    if (!LoadDescribedPackage(descriptionPath, definitions, "", &contents)) return 1;
    std::string text;
    for (size_t i = 0; i < contents.files.size(); ++i) {
        const FileEntry& file = contents.files[i];
        std::string target = file.subFolder[0] ? std::string(file.subFolder) + "\\" + file.name : file.name;
        text += std::to_string(i + 1) + "\t" + target + "\t" + std::to_string(file.size) + "\t" +
                DisplayPath(contents.parts[i].hostPath) + "\n";
        // Printed a piece at a time, so that a list of 100,000 files is not one string.
        if (text.size() > (1 << 16)) {
            PrintOut(text);
            text.clear();
        }
    }
    text += "pack: " + std::to_string(contents.files.size()) + " file(s), " + std::to_string(contents.PayloadSize()) +
            " bytes of payload (number, target in the install folder, size in bytes, source)\n";
    PrintOut(text);
    return 0;
}
