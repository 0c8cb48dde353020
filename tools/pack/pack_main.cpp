// pack: builds setup packages from a description and inspects them.
#include <string>
#include <vector>

#include "console.h"
#include "host_files.h"
#include "pack_build.h"
#include "pack_inspect.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  pack build DESCRIPTION -o OUTPUT.exe [--setup SETUP.exe]\n"
    "      packages the files a description lists into a copy of setup.exe\n"
    "      (by default the setup.exe beside pack)\n"
    "  pack inspect FILE.exe\n"
    "      shows what a setup package, or an installed uninst.exe, holds\n";

int Usage(const std::string& problem) {
    if (!problem.empty()) PrintErr("pack: " + problem + "\n");
    PrintErr(kUsage);
    return 2;
}

std::string DefaultSetup() {
    std::string folder = FolderOfPath(OwnProgramPath());
    return folder.empty() ? std::string("setup.exe") : HostPath(folder, "setup.exe");
}

int Build(const std::vector<std::string>& args) {
    std::string description;
    std::string output;
    std::string setup = DefaultSetup();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-o" || arg == "--setup") {
            if (i + 1 >= args.size()) return Usage(arg + " needs a file name");
            (arg == "-o" ? output : setup) = args[++i];
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
    return BuildPackage(description, output, setup);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        PrintOut(kUsage);
        return args.empty() ? 2 : 0;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "build") return Build(rest);
    if (args[0] == "inspect") {
        if (rest.size() != 1) return Usage("inspect needs one program file");
        return InspectProgram(rest[0]);
    }
    return Usage("unknown command " + args[0]);
}
