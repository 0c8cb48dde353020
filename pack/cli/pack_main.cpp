// pack: builds setup packages from a description and inspects them.
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "console.h"
#include "host_files.h"
#include "definitions.h"
#include "pack_build.h"
#include "pack_files.h"
#include "pack_inspect.h"
#include "pack_verify.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  pack build DESCRIPTION -o OUTPUT.exe [-D Name=Value ...] [--setup SETUP.exe]\n"
    "             [--sign CERT [--key KEY.pem] [--password-file FILE] [--timestamp URL]]\n"
    "      packages the files a description lists into a copy of setup.exe\n"
    "      (by default the setup.exe beside pack, or in its installed data\n"
    "      folder); -D gives {#Name} a text (over the description's [Defines]);\n"
    "      with --sign, signs it with the certificate (PKCS#12, or PEM with its\n"
    "      key) through osslsigncode\n"
    "  pack files DESCRIPTION [-D Name=Value ...]\n"
    "      lists the files the package would hold, in payload order, with\n"
    "      their sources, targets and sizes, and the totals; writes nothing\n"
    "  pack inspect FILE.exe [--trust CERTS.pem]\n"
    "      shows what a setup package, or an installed uninst.exe, holds, and\n"
    "      whether a package's signature verifies (trusting CERTS.pem too)\n"
    "  pack verify PACKAGE.exe DESCRIPTION [-D Name=Value ...] [--setup SETUP.exe]\n"
    "      rebuilds the package from the description and compares it with\n"
    "      PACKAGE.exe, signature aside; exit code 0 the same, 1 different\n";

int Usage(const std::string& problem) {
    if (!problem.empty()) PrintErr("pack: " + problem + "\n");
    PrintErr(kUsage);
    return 2;
}

// The setup.exe pack uses when none is given: the one beside pack, else,
// for an installed pack (PREFIX/bin), the one in its data folder
// (PREFIX/share/cartopia-pack).
std::string DefaultSetup() {
    std::string folder = FolderOfPath(OwnProgramPath());
    if (folder.empty()) return "setup.exe";
    std::string beside = HostPath(folder, "setup.exe");
#ifndef _WIN32
    std::string installed = HostPath(FolderOfPath(folder), "share/cartopia-pack/setup.exe");
    if (KindOfPath(beside, nullptr) != kPathFile && KindOfPath(installed, nullptr) == kPathFile) return installed;
#endif
    return beside;
}

// Takes "-D Name=Value" or "-DName=Value" at args[*i] into *definitions.
// Returns 0 when args[*i] is no definition, 1 when it was taken, -1 after a
// usage error was printed into *exitCode.
int TakeDefinition(const std::vector<std::string>& args, size_t* i, DefinitionList* definitions, int* exitCode) {
    const std::string& arg = args[*i];
    if (arg.compare(0, 2, "-D") != 0) return 0;
    std::string text = arg.substr(2);
    if (text.empty()) {
        if (*i + 1 >= args.size() || args[*i + 1].empty()) {
            *exitCode = Usage("-D needs Name=Value");
            return -1;
        }
        text = args[++*i];
    }
    std::pair<std::string, std::string> definition;
    std::string problem;
    if (!ParseDefinitionArgument(text, &definition, &problem)) {
        *exitCode = Usage(problem);
        return -1;
    }
    definitions->push_back(definition);
    return 1;
}

int Build(const std::vector<std::string>& args) {
    std::string description;
    std::string output;
    std::string setup = DefaultSetup();
    DefinitionList definitions;
    SigningOptions signing;
    const struct {
        const char* name;
        std::string* value;
    } options[] = {{"-o", &output},
                   {"--setup", &setup},
                   {"--sign", &signing.certificate},
                   {"--key", &signing.key},
                   {"--password-file", &signing.passwordFile},
                   {"--timestamp", &signing.timestampUrl}};
    for (size_t i = 0; i < args.size(); ++i) {
        int code = 0;
        int taken = TakeDefinition(args, &i, &definitions, &code);
        if (taken < 0) return code;
        if (taken > 0) continue;
        const std::string& arg = args[i];
        std::string* value = nullptr;
        for (const auto& option : options) {
            if (arg == option.name) value = option.value;
        }
        if (value) {
            if (i + 1 >= args.size() || args[i + 1].empty()) return Usage(arg + " needs a value");
            *value = args[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else if (description.empty()) {
            description = arg;
        } else {
            return Usage("one description at a time (" + arg + ")");
        }
    }
    if (description.empty()) return Usage("build needs a description");
    if (output.empty()) return Usage("build needs an output: -o OUTPUT.exe");
    if (!signing.Wanted() && (!signing.key.empty() || !signing.passwordFile.empty() || !signing.timestampUrl.empty())) {
        return Usage("--key, --password-file and --timestamp go with --sign CERT");
    }
    return BuildPackage(description, definitions, output, setup, signing);
}

int Inspect(const std::vector<std::string>& args) {
    std::string file;
    std::string trust;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--trust") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return Usage("--trust needs a file name");
            trust = args[++i];
        } else if (!file.empty() || (!args[i].empty() && args[i][0] == '-')) {
            return Usage("inspect takes one program file (" + args[i] + ")");
        } else {
            file = args[i];
        }
    }
    if (file.empty()) return Usage("inspect needs one program file");
    return InspectProgram(file, trust);
}

int Verify(const std::vector<std::string>& args) {
    std::vector<std::string> names;
    std::string setup = DefaultSetup();
    DefinitionList definitions;
    for (size_t i = 0; i < args.size(); ++i) {
        int code = 0;
        int taken = TakeDefinition(args, &i, &definitions, &code);
        if (taken < 0) return code;
        if (taken > 0) continue;
        if (args[i] == "--setup") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return Usage("--setup needs a value");
            setup = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return Usage("unknown option " + args[i]);
        } else {
            names.push_back(args[i]);
        }
    }
    if (names.size() != 2) return Usage("verify takes a package and its description");
    return VerifyPackage(names[0], names[1], definitions, setup);
}

int Files(const std::vector<std::string>& args) {
    std::string description;
    DefinitionList definitions;
    for (size_t i = 0; i < args.size(); ++i) {
        int code = 0;
        int taken = TakeDefinition(args, &i, &definitions, &code);
        if (taken < 0) return code;
        if (taken > 0) continue;
        if (!description.empty() || (!args[i].empty() && args[i][0] == '-')) {
            return Usage("files takes one description and its definitions (" + args[i] + ")");
        }
        description = args[i];
    }
    if (description.empty()) return Usage("files needs a description");
    return ListPackageFiles(description, definitions);
}

int Run(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        PrintOut(kUsage);
        return args.empty() ? 2 : 0;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "--version" || args[0] == "version") {
        PrintOut("pack " PACK_VERSION "\n");
        return 0;
    }
    if (args[0] == "build") return Build(rest);
    if (args[0] == "files") return Files(rest);
    if (args[0] == "inspect") return Inspect(rest);
    if (args[0] == "verify") return Verify(rest);
    return Usage("unknown command " + args[0]);
}

}  // namespace

int main(int argc, char** argv) {
    // Memory or address space that runs out (a crafted file's millions of
    // resources, a package too large to map into a 32-bit pack.exe) ends pack
    // with a message, not with an uncaught exception.
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        PrintErr("pack: out of memory (or of address space) for this file\n");
        return 2;
    } catch (const std::length_error&) {
        PrintErr("pack: out of memory (or of address space) for this file\n");
        return 2;
    }
}
