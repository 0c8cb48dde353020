// pack.exe as a user runs it: `pack build` then `pack inspect` round trips,
// every kind of error with its message and nothing written, and the
// inspection of an installed uninstaller.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "install_log.h"
#include "install_checks.h"
#include "pack_run.h"
#include "record_checks.h"
#include "setup_record.h"

namespace {

using wintest::Contains;
using wintest::ProgramResource;
using wintest::RunPack;
using testenv::FileExists;
using testenv::ScratchDir;
using testenv::WriteFileBytes;

const char kRtf[] = "{\\rtf1\\ansi{\\b Licence} de d\\'e9monstration\\par}";

// A package folder: a description and the files it names.
struct PackageFolder {
    ScratchDir dir{"pack"};
    void Put(const std::string& relative, const std::string& bytes) {
        std::string path = dir / relative;
        for (size_t at = path.find('\\', dir.path().size() + 1); at != std::string::npos; at = path.find('\\', at + 1)) {
            CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        }
        ASSERT_TRUE(WriteFileBytes(path, bytes)) << path;
    }
    wintest::PackRun Build(const std::string& description, const std::string& extra = "") {
        Put("package.ini", description);
        return RunPack(dir.path(), "build package.ini -o out.exe " + extra);
    }
    std::string Out() const { return dir / "out.exe"; }
};

SetupRecord RecordOf(const std::string& exe, std::vector<FileEntry>* files) {
    std::string bytes = ProgramResource(exe, "RT_DATA", "5001");
    SetupRecord record;
    SetDefaultSetupRecord(&record);
    EXPECT_EQ(kRecordComplete,
              ParseSetupRecord(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &record));
    files->clear();
    for (int32_t i = 0; i < record.fileCount; ++i) {
        FileEntry entry;
        GetSetupFileEntry(record, i, &entry);
        files->push_back(entry);
    }
    return record;
}

TEST(PackBuild, SubFoldersRtfLicenceAndUtf8Information) {
    PackageFolder folder;
    folder.Put("bin\\atlas.exe", "MZ atlas program");
    folder.Put("cartes\\france.dat", std::string("map\0bytes", 9));
    folder.Put("docs\\lisez-moi.txt", "notes");
    folder.Put("textes\\licence.rtf", kRtf);
    folder.Put("textes\\info.txt", "Caf\xC3\xA9 \xE2\x82\xAC\nfin\n");  // UTF-8, line feeds
    wintest::PackRun run = folder.Build(
        "[Setup]\n"
        "AppName = Atlas\n"
        "AppVerName = Atlas 3.1\n"
        "Folder = {pf}\n"
        "SubFolder = Jeux/Atlas\n"
        "Group = Jeux\n"
        "RunOffered = yes\n"
        "UninstallIcon = yes\n"
        "AllowDirChange = no\n"
        "License = textes/licence.rtf\n"
        "LicenseFormat = rtf\n"
        "Info = textes/info.txt\n"
        "InfoFormat = text\n"
        "[Files]\n"
        "bin/atlas.exe\n"
        "cartes/france.dat = donnees/cartes\n"
        "docs\\lisez-moi.txt = Documentation\n");
    ASSERT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_TRUE(Contains(run.out, "3 file(s), 30 bytes of payload, RTF licence, text information")) << run.out;
    EXPECT_FALSE(FileExists(folder.Out() + ".partial"));

    std::vector<FileEntry> files;
    SetupRecord record = RecordOf(folder.Out(), &files);
    testrec::ExpectSameRecord(testrec::Record([](SetupRecord& r) {
                                  strcpy(r.appName, "Atlas");
                                  strcpy(r.appVerName, "Atlas 3.1");
                                  strcpy(r.folderToken, "{pf}");
                                  strcpy(r.subFolder, "Jeux\\Atlas");
                                  strcpy(r.groupName, "Jeux");
                                  r.allowDirChange = r.noIcons = 0;
                                  r.runOffered = r.uninstallIconOffered = 1;
                                  r.licenseFormat = 2;
                                  r.infoFormat = 1;
                              }),
                              record);
    ASSERT_EQ(3u, files.size());
    EXPECT_STREQ("atlas.exe", files[0].name);
    EXPECT_STREQ("", files[0].subFolder);
    EXPECT_EQ(16, files[0].size);
    EXPECT_STREQ("france.dat", files[1].name);
    EXPECT_STREQ("donnees\\cartes", files[1].subFolder);
    EXPECT_EQ(9, files[1].size);
    EXPECT_STREQ("Documentation", files[2].subFolder);
    EXPECT_EQ(std::string("MZ atlas program") + std::string("map\0bytes", 9) + "notes",
              ProgramResource(folder.Out(), "RT_DATA", "5000"));
    EXPECT_EQ(kRtf, ProgramResource(folder.Out(), "RT_DATA", "5010"));  // RTF goes in unchanged
    EXPECT_EQ("Caf\xE9 \x80\r\nfin\r\n", ProgramResource(folder.Out(), "RT_DATA", "5011"));
    // The rest of setup is still there.
    bool found = false;
    ProgramResource(folder.Out(), "RT_EXECUTABLE", MAKEINTRESOURCEA(210), &found);
    EXPECT_TRUE(found);

    run = RunPack(folder.dir.path(), "inspect out.exe");
    ASSERT_EQ(0u, run.exitCode) << run.out << run.err;
    const char* const expected[] = {
        "out.exe: setup package",
        "  AppName           Atlas\r\n",
        "  Folder            {pf}\r\n",
        "  SubFolder         Jeux\\Atlas\r\n",
        "  AllowDirChange    no\r\n",
        "  License           rtf, 48 bytes\r\n",
        "  Info              text, 13 bytes\r\n",
        "Files (3), installed below {pf}\\Jeux\\Atlas:",
        "            16  atlas.exe   (main program)",
        "             9  donnees\\cartes\\france.dat",
        "             5  Documentation\\lisez-moi.txt",
        "Payload: 30 bytes, the sum of the file sizes",
    };
    // Output lines end in \n only; the expectations above use \r\n where they
    // pin a whole line, so compare without carriage returns.
    for (const char* line : expected) {
        std::string wanted = line;
        for (size_t at; (at = wanted.find('\r')) != std::string::npos;) wanted.erase(at, 1);
        EXPECT_TRUE(Contains(run.out, wanted)) << wanted << "\n" << run.out;
    }
}

TEST(PackBuild, TextLicenceRtfInformationAndFormatsFromContent) {
    PackageFolder folder;
    folder.Put("a.exe", "program");
    folder.Put("licence.txt", "Licence en \xE9t\xE9\r\n");  // code page 1252 already, CR LF
    folder.Put("info.rtf", kRtf);
    wintest::PackRun run = folder.Build(
        "[Setup]\nAppName = A\nFolder = C:\\Jeux\\A\nNoIcons = yes\n"
        "License = licence.txt\nLicenseFormat = text\nInfo = info.rtf\nInfoFormat = rtf\n[Files]\na.exe\n");
    ASSERT_EQ(0u, run.exitCode) << run.err;
    std::vector<FileEntry> files;
    SetupRecord record = RecordOf(folder.Out(), &files);
    testrec::ExpectSameRecord(testrec::Record([](SetupRecord& r) {
                                  for (char* name : {r.appName, r.appVerName, r.groupName}) strcpy(name, "A");
                                  strcpy(r.folderToken, "C:\\Jeux\\A");
                                  r.licenseFormat = 1;
                                  r.infoFormat = 2;
                              }),
                              record);
    EXPECT_EQ("Licence en \xE9t\xE9\r\n", ProgramResource(folder.Out(), "RT_DATA", "5010"));
    EXPECT_EQ(kRtf, ProgramResource(folder.Out(), "RT_DATA", "5011"));

    // Without a format, the content decides; without texts, no resources.
    run = folder.Build("[Setup]\nAppName = A\nLicense = info.rtf\nInfo = licence.txt\n[Files]\na.exe\n");
    ASSERT_EQ(0u, run.exitCode) << run.err;
    record = RecordOf(folder.Out(), &files);
    EXPECT_EQ(2, record.licenseFormat);
    EXPECT_EQ(1, record.infoFormat);
    run = folder.Build("[Setup]\nAppName = A\n[Files]\na.exe\n");
    ASSERT_EQ(0u, run.exitCode) << run.err;
    record = RecordOf(folder.Out(), &files);
    EXPECT_EQ(0, record.licenseFormat);
    bool found = true;
    ProgramResource(folder.Out(), "RT_DATA", "5010", &found);
    EXPECT_FALSE(found);
    ProgramResource(folder.Out(), "RT_DATA", "5011", &found);
    EXPECT_FALSE(found);
}

struct ErrorCase {
    const char* what;
    std::string description;
    std::string message;  // the error output contains this
    std::string extra = "";  // more arguments
};

TEST(PackBuild, EveryErrorIsReportedAndNothingIsWritten) {
    PackageFolder folder;
    folder.Put("a.exe", "program");
    folder.Put("empty.dat", "");
    folder.Put("plain.txt", "pas du RTF");
    folder.Put("lic.rtf", kRtf);
    const std::string head = "[Setup]\nAppName = A\n";
    const std::string files = "[Files]\na.exe\n";
    const std::string longName(256, 'n');
    // A name of 260 characters is refused before any file is looked for.
    const ErrorCase cases[] = {
        {"missing file", head + files + "absent.dll\n", "package.ini:5: error: file 'absent.dll' not found"},
        {"a folder that is not there", head + files + "docs\\\n",
         "package.ini:5: error: 'docs\\' finds no file: there is no folder 'docs'"},
        {"missing licence", head + "License = absent.rtf\n" + files,
         "package.ini:3: error: License file 'absent.rtf' not found"},
        {"missing information", head + "Info = absent.txt\n" + files,
         "package.ini:3: error: Info file 'absent.txt' not found"},
        {"RTF that is not RTF", head + "License = plain.txt\nLicenseFormat = rtf\n" + files,
         "package.ini:4: error: LicenseFormat is rtf, but 'plain.txt' does not start with {\\rtf"},
        {"information not RTF", head + "Info = plain.txt\nInfoFormat = rtf\n" + files,
         "package.ini:4: error: InfoFormat is rtf, but 'plain.txt' does not start with {\\rtf"},
        {"empty licence", head + "License = empty.dat\n" + files, "package.ini:3: error: License file 'empty.dat' is empty"},
        {"name too long", head + files + longName + ".txt\n", "package.ini:5: error: file name is 260 characters long"},
        {"unknown key", head + "Icons = yes\n" + files, "package.ini:3: error: unknown key 'Icons' in [Setup]"},
        {"unknown flag value", head + "RunOffered = souvent\n" + files,
         "package.ini:3: error: RunOffered must be yes or no, not 'souvent'"},
        {"implausible folder", head + "Folder = Program Files\n" + files,
         "package.ini:3: error: Folder 'Program Files' is neither a folder token"},
        {"duplicate target", head + files + "sub/a.exe\n", "package.ini:5: error: installs a.exe again (already on line 4)"},
        {"no files", head + "[Files]\n", "package.ini:3: error: [Files] lists no file"},
        {"only empty files", head + "[Files]\nempty.dat\n", "package.ini:4: error: every file is empty"},
        {"no setup program", head + files, "pack: setup program 'absent\\setup.exe' not found",
         "--setup absent\\setup.exe"},
    };
    for (const ErrorCase& c : cases) {
        wintest::PackRun run = folder.Build(c.description, c.extra);
        EXPECT_EQ(1u, run.exitCode) << c.what << "\n" << run.err;
        EXPECT_TRUE(Contains(run.err, c.message)) << c.what << "\n" << run.err;
        EXPECT_TRUE(Contains(run.err, "nothing written")) << c.what << "\n" << run.err;
        EXPECT_EQ("", run.out) << c.what;
        EXPECT_FALSE(FileExists(folder.Out())) << c.what;
        EXPECT_FALSE(FileExists(folder.Out() + ".partial")) << c.what;
    }

    // An output that exists stays as it was; a missing output folder is named.
    ASSERT_TRUE(WriteFileBytes(folder.Out(), "earlier package"));
    wintest::PackRun run = folder.Build(head + files + "absent.dll\n");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ("earlier package", testenv::ReadFileBytes(folder.Out()));
    run = RunPack(folder.dir.path(), "build package.ini -o nowhere\\out.exe");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(Contains(run.err, "the folder of the output 'nowhere\\out.exe' does not exist")) << run.err;

    // Several errors at once, in line order, with the description's name.
    run = folder.Build("[Setup]\nAppName = A\nFolder = {PF}\n[Files]\nabsent.dll\na.exe\nA.EXE\n");
    EXPECT_EQ(1u, run.exitCode);
    size_t first = run.err.find("package.ini:3:"), second = run.err.find("package.ini:5:"),
           third = run.err.find("package.ini:7:");
    EXPECT_TRUE(first != std::string::npos && second != std::string::npos && third != std::string::npos &&
                first < second && second < third)
        << run.err;
    EXPECT_TRUE(Contains(run.err, "pack: 3 error(s); nothing written")) << run.err;

    // Usage mistakes.
    EXPECT_EQ(2u, RunPack(folder.dir.path(), "build package.ini").exitCode);
    EXPECT_EQ(2u, RunPack(folder.dir.path(), "pack frobnicate").exitCode);
}

// pack.exe compresses through a file in the user's temporary folder (TMP,
// TEMP), where any user may write, not in the root of the drive, and leaves
// nothing there; a temporary folder it cannot use is a clear error.
TEST(PackBuild, CompressesThroughTheUsersTemporaryFolder) {
    PackageFolder folder;
    std::string program;
    for (int i = 0; i < 4000; ++i) program += "instruction " + std::to_string(i % 97) + ";";
    folder.Put("a.exe", program);
    const std::string description = "[Setup]\nAppName = A\nCompression = fast\n[Files]\na.exe\n";
    ScratchDir temporary("pack-temp");
    {
        testenv::ScopedVariable tmp("TMP", temporary.path()), temp("TEMP", temporary.path());
        wintest::PackRun run = folder.Build(description);
        EXPECT_EQ(0u, run.exitCode) << run.err;
        EXPECT_TRUE(Contains(run.out, "(compressed, fast)")) << run.out;
        EXPECT_TRUE(testenv::FilesBelow(temporary.path()).empty());
        wintest::PackRun shown = RunPack(folder.dir.path(), "inspect out.exe");
        EXPECT_TRUE(Contains(shown.out, "the stream decodes to the files' bytes")) << shown.out;
        EXPECT_LT(ProgramResource(folder.Out(), "RT_DATA", "5002").size(), program.size() / 4);
    }
    ASSERT_TRUE(DeleteFileA(folder.Out().c_str()));
    std::string absent = temporary / "absent";
    testenv::ScopedVariable tmp("TMP", absent), temp("TEMP", absent);
    wintest::PackRun run = folder.Build(description);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(Contains(run.err, "cannot make a temporary file for the compressed payload")) << run.err;
    EXPECT_TRUE(Contains(run.err, "nothing written")) << run.err;
    EXPECT_FALSE(FileExists(folder.Out()));
}

// A package given where the bare setup.exe belongs (with --setup, or as the
// setup.exe beside pack.exe that an earlier `-o setup.exe` replaced): build
// and verify name what it carries and refuse it; nothing is written.
TEST(PackBuild, APackageInThePlaceOfTheBareSetupIsRefused) {
    PackageFolder folder;
    folder.Put("a.exe", "program");
    const std::string description = "[Setup]\nAppName = A\n[Files]\na.exe\n";
    ASSERT_EQ(0u, folder.Build(description).exitCode);
    std::string bare = testenv::Program("setup.exe");
    // Each package resource alone is enough; the whole package names them all.
    const struct {
        const char* name;  // RT_DATA name added to a copy of setup.exe, "" for the whole package
        std::string found;
    } cases[] = {
        {"", "RT_DATA 5000 (payload), RT_DATA 5001 (setup record), the version information pack writes"},
        {"5000", "RT_DATA 5000 (payload)"},
        {"5001", "RT_DATA 5001 (setup record)"},
        {"5002", "RT_DATA 5002 (compressed payload)"},
        {"5010", "RT_DATA 5010 (licence)"},
        {"5011", "RT_DATA 5011 (information text)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.found);
        std::string base = folder.dir / "base.exe";
        ASSERT_TRUE(CopyFileA((*c.name ? bare : folder.Out()).c_str(), base.c_str(), FALSE));
        std::string error;
        if (*c.name) ASSERT_TRUE(UpdateProgramResource(base, "RT_DATA", c.name, "stale", &error)) << error;
        wintest::PackRun run = RunPack(folder.dir.path(), "build package.ini -o second.exe --setup base.exe");
        EXPECT_EQ(1u, run.exitCode) << run.err;
        EXPECT_TRUE(Contains(run.err, "setup program 'base.exe' already carries a package (" + c.found + ")")) << run.err;
        EXPECT_TRUE(Contains(run.err, "the bare setup.exe")) << run.err;
        EXPECT_FALSE(FileExists(folder.dir / "second.exe"));
        run = RunPack(folder.dir.path(), "verify out.exe package.ini --setup base.exe");
        EXPECT_EQ(2u, run.exitCode) << run.out << run.err;
        EXPECT_TRUE(Contains(run.err, "already carries a package (" + c.found + ")")) << run.err;
        EXPECT_EQ("", run.out);
    }

    // pack.exe's own default: the setup.exe beside it, here a package.
    ScratchDir tool("packd");
    ASSERT_TRUE(CopyFileA(testenv::Program("pack.exe").c_str(), (tool / "pack.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(folder.Out().c_str(), (tool / "setup.exe").c_str(), FALSE));
    wintest::PackRun run = RunPack(folder.dir.path(), "build package.ini -o second.exe", tool / "pack.exe");
    EXPECT_EQ(1u, run.exitCode) << run.err;
    EXPECT_TRUE(Contains(run.err, "setup.exe' already carries a package (RT_DATA 5000")) << run.err;
    EXPECT_FALSE(FileExists(folder.dir / "second.exe"));
    run = RunPack(folder.dir.path(), "verify out.exe package.ini", tool / "pack.exe");
    EXPECT_EQ(2u, run.exitCode) << run.out << run.err;
    // With the bare one beside it, the same pack.exe builds and verifies.
    ASSERT_TRUE(CopyFileA(bare.c_str(), (tool / "setup.exe").c_str(), FALSE));
    EXPECT_EQ(0u, RunPack(folder.dir.path(), "verify out.exe package.ini", tool / "pack.exe").exitCode);
}

// Lines of a file, without their ends.
std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// pack.exe hands the package to the signing tool with arguments that hold
// blanks, takes its output under the final name, and reports its failure.
// The tool is a stand-in (fake_signer.exe): the real one is tried on Linux.
TEST(PackSign, TheSigningToolGetsEveryArgumentWholeAndItsFailureIsReported) {
    PackageFolder folder;
    folder.Put("a.exe", "program");
    folder.Put("cle et certificat\\editeur.p12", "\x30\x82 not really PKCS#12");
    folder.Put("mot de passe.txt", "secret\n");
    folder.Put("faux.txt", "wrong\n");
    std::string log = folder.dir / "signer.log";
    SetEnvironmentVariableA("PACK_OSSLSIGNCODE", testenv::Program("fake_signer.exe").c_str());
    SetEnvironmentVariableA("FAKE_SIGNER_LOG", log.c_str());
    const std::string description = "[Setup]\nAppName = Mon Jeu\n[Files]\na.exe\n";
    const std::string sign = "--sign \"cle et certificat\\editeur.p12\" --password-file ";

    wintest::PackRun run = folder.Build(description, sign + "\"mot de passe.txt\"");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_TRUE(Contains(run.out, ", signed")) << run.out;
    EXPECT_TRUE(FileExists(folder.Out()));
    EXPECT_FALSE(FileExists(folder.Out() + ".unsigned"));
    EXPECT_FALSE(FileExists(folder.Out() + ".signed"));
    std::vector<std::string> args = LinesOf(testenv::ReadFileBytes(log));
    // The first call asks for the tool's version, the second signs.
    auto sign_at = std::find(args.begin(), args.end(), "sign");
    ASSERT_NE(args.end(), sign_at) << testenv::ReadFileBytes(log);
    std::vector<std::string> signArgs(sign_at, args.end());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"-pkcs12", "cle et certificat\\editeur.p12"}, {"-readpass", "mot de passe.txt"}, {"-n", "Mon Jeu"},
        {"-in", "out.exe.unsigned"}, {"-out", "out.exe.signed"}};
    for (const auto& pair : expected) {
        auto at = std::find(signArgs.begin(), signArgs.end(), pair.first);
        ASSERT_TRUE(at != signArgs.end() && at + 1 != signArgs.end()) << pair.first;
        EXPECT_EQ(pair.second, at[1]) << pair.first;
    }

    // A wrong password: the tool's reason in pack's words, and nothing written.
    ASSERT_TRUE(DeleteFileA(folder.Out().c_str()));
    run = folder.Build(description, sign + "faux.txt");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(Contains(run.err, "pack: signing failed: the password read from 'faux.txt' does not open")) << run.err;
    EXPECT_TRUE(Contains(run.err, "(Wrong password?)")) << run.err;
    EXPECT_TRUE(Contains(run.err, "nothing written")) << run.err;
    EXPECT_FALSE(FileExists(folder.Out()));
    EXPECT_FALSE(FileExists(folder.Out() + ".unsigned"));

    // No tool at all.
    SetEnvironmentVariableA("PACK_OSSLSIGNCODE", (folder.dir / "absent.exe").c_str());
    run = folder.Build(description, sign + "\"mot de passe.txt\"");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(Contains(run.err, "signing needs the tool osslsigncode")) << run.err;
    EXPECT_FALSE(FileExists(folder.Out()));
    SetEnvironmentVariableA("PACK_OSSLSIGNCODE", nullptr);
    SetEnvironmentVariableA("FAKE_SIGNER_LOG", nullptr);
}

// What setup will write into the list of installed programs: the version
// only from AppVersion (never the part of AppVerName), the publisher, the
// main program, the size rounded up to whole KB; RT_DATA 5004 only when
// there is a text to carry, and a damaged one is a problem.
TEST(PackInspect, RegistrationShowsWhatSetupWillRegister) {
    const std::string head = "[Setup]\nAppName = Atlas\nAppVerName = Atlas 3.1\nFolder = C:\\Jeux\nSubFolder = Atlas\n";
    const std::string files = "[Files]\nbin/atlas.exe\ncartes/france.dat = donnees\n";
    PackageFolder folder;
    folder.Put("bin\\atlas.exe", std::string(1500, 'a'));
    folder.Put("cartes\\france.dat", std::string(600, 'c'));  // 2100 bytes: 3 KB
    wintest::PackRun run = folder.Build(head + "AppVersion = 3.1.4\nPublisher = Editions Atlas\n" + files);
    ASSERT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ(std::string("3.1.4\0Editions Atlas\0", 21), ProgramResource(folder.Out(), "RT_DATA", "5004"));
    run = RunPack(folder.dir.path(), "inspect out.exe");
    ASSERT_EQ(0u, run.exitCode) << run.out << run.err;
    for (const char* line : {"Registration (list of installed programs):\n", "  DisplayName       Atlas 3.1\n",
                             "  DisplayVersion    3.1.4\n", "  Publisher         Editions Atlas\n",
                             "  DisplayIcon       C:\\Jeux\\Atlas\\atlas.exe\n", "  EstimatedSize     3 KB\n",
                             "  NoModify          1\n", "  NoRepair          1\n"}) {
        EXPECT_TRUE(Contains(run.out, line)) << line << "\n" << run.out;
    }

    // AppVerName alone gives the version information a version, but
    // registers none; without a publisher either, there is no resource.
    run = folder.Build(head + files);
    ASSERT_EQ(0u, run.exitCode) << run.err;
    bool found = true;
    ProgramResource(folder.Out(), "RT_DATA", "5004", &found);
    EXPECT_FALSE(found);
    run = RunPack(folder.dir.path(), "inspect out.exe");
    EXPECT_TRUE(Contains(run.out, "  DisplayVersion    none (no AppVersion)\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "  Publisher         none\n")) << run.out;

    std::string error;
    ASSERT_TRUE(UpdateProgramResource(folder.Out(), "RT_DATA", "5004", std::string("3.1", 3), &error)) << error;
    run = RunPack(folder.dir.path(), "inspect out.exe");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(Contains(run.out, "RT_DATA 5004 (3 bytes) is damaged")) << run.out;
}

TEST(PackInspect, UninstallerLogBareSetupAndInconsistentPackage) {
    ScratchDir dir("packi");
    // An uninst.exe with the log an installation embeds.
    std::string log(InstallLogSize(2), '\0');
    uint8_t* at = reinterpret_cast<uint8_t*>(&log[0]);
    EncodeLogHead(at, "Atlas", "Atlas 3.1", 2);
    LogEntry folderEntry = {"C:\\Jeux\\Atlas", kLogFolder};
    LogEntry fileEntry = {"C:\\Jeux\\Atlas\\atlas.exe", kLogFile};
    EncodeLogEntry(at + kLogHeadSize, folderEntry);
    EncodeLogEntry(at + kLogHeadSize + kLogEntrySize, fileEntry);
    EncodeLogTail(at + kLogHeadSize + 2 * kLogEntrySize, "");
    std::string uninst = dir / "uninst.exe";
    ASSERT_TRUE(CopyFileA(testenv::Program("uninst.exe").c_str(), uninst.c_str(), FALSE));
    std::string error;
    ASSERT_TRUE(UpdateProgramResource(uninst, "RT_DATA", "5000", log, &error)) << error;
    wintest::PackRun run = RunPack(dir.path(), "inspect uninst.exe");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_TRUE(Contains(run.out, "uninst.exe: uninstaller with its install log")) << run.out;
    EXPECT_TRUE(Contains(run.out, "AppVerName        Atlas 3.1")) << run.out;
    EXPECT_TRUE(Contains(run.out, "Install log (2 entries, 1312 bytes):\n"
                                  "  folder  C:\\Jeux\\Atlas\n"
                                  "  file    C:\\Jeux\\Atlas\\atlas.exe\n"))
        << run.out;

    // A log cut short is shown as far as it goes, and reported.
    ASSERT_TRUE(UpdateProgramResource(uninst, "RT_DATA", "5000", log.substr(0, kLogHeadSize + kLogEntrySize), &error));
    run = RunPack(dir.path(), "inspect uninst.exe");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(Contains(run.err, "cut short: 1 of 2 entries")) << run.err;

    // setup.exe itself holds no package; a text file is no program.
    ASSERT_TRUE(CopyFileA(testenv::Program("setup.exe").c_str(), (dir / "setup.exe").c_str(), FALSE));
    run = RunPack(dir.path(), "inspect setup.exe");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(Contains(run.err, "is the setup program without a package")) << run.err;
    ASSERT_TRUE(WriteFileBytes(dir / "notes.txt", "hello"));
    run = RunPack(dir.path(), "inspect notes.txt");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(Contains(run.err, "is not a Windows program file")) << run.err;

    // A package whose payload does not match its file sizes, and an RTF
    // licence that is not RTF: both are pointed out.
    PackageContents contents;
    contents.AddFile("a.exe", "", "12345");
    contents.payload += "extra";
    contents.record.licenseFormat = 2;
    contents.writeLicense = true;
    contents.license = "plain";
    testenv::MakePackage(dir / "odd.exe", contents);
    run = RunPack(dir.path(), "inspect odd.exe");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(Contains(run.out, "Payload: 10 bytes, but the file sizes add up to 5  <- problem")) << run.out;
    EXPECT_TRUE(Contains(run.out, "rtf, 5 bytes, not RTF")) << run.out;
    EXPECT_TRUE(Contains(run.err, "2 problem(s)")) << run.err;
}

}  // namespace
