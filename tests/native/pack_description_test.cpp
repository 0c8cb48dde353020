// The package description parser: what a description yields, and each error
// with its line.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "cp1252.h"
#include "pack_description.h"
#include "record_checks.h"

namespace {

struct Parsed {
    bool ok;
    PackDescription description;
    std::vector<PackError> errors;
};

Parsed Parse(const std::string& text) {
    Parsed parsed;
    parsed.ok = ParsePackDescription(text.data(), text.size(), &parsed.description, &parsed.errors);
    return parsed;
}

std::string Errors(const Parsed& parsed) {
    std::string all;
    for (const PackError& error : parsed.errors) all += std::to_string(error.line) + ": " + error.message + "\n";
    return all;
}

TEST(PackDescription, FullDescription) {
    Parsed parsed = Parse(
        "; Cartopia\r\n"
        "[Setup]\r\n"
        "AppName = Cartopia\r\n"
        "AppVerName = Cartopia 1.2\r\n"
        "Folder = {pf}\r\n"
        "SubFolder = Jeux/Cartopia\r\n"
        "Group = Jeux\\Cartopia\r\n"
        "allowdirchange = no\r\n"
        "NoIcons = false\r\n"
        "AllowGroupChange = 0\r\n"
        "OfferMenuIcons = off\r\n"
        "RunOffered = yes\r\n"
        "UninstallIcon = TRUE\r\n"
        "License = texts/licence.rtf\r\n"
        "LicenseFormat = RTF\r\n"
        "Info = lisez-moi.txt\r\n"
        "InfoFormat = text\r\n"
        "\r\n"
        "[Files]\r\n"
        "# main program first\r\n"
        "bin/Cartopia.exe\r\n"
        "docs\\manuel.txt = Documentation/fr/\r\n"
        "  \"a = b.txt\"  =  \"\"\r\n");
    ASSERT_TRUE(parsed.ok) << Errors(parsed);
    testrec::ExpectSameRecord(testrec::Record([](SetupRecord& r) {
                                  strcpy(r.appName, "Cartopia");
                                  strcpy(r.appVerName, "Cartopia 1.2");
                                  strcpy(r.folderToken, "{pf}");
                                  strcpy(r.subFolder, "Jeux\\Cartopia");
                                  strcpy(r.groupName, "Jeux\\Cartopia");
                                  r.allowDirChange = r.noIcons = r.allowGroupChange = r.offerMenuIcons = 0;
                                  r.runOffered = r.uninstallIconOffered = r.reservedFlag = 1;
                                  r.licenseFormat = 2;
                                  r.infoFormat = 1;
                              }),
                              parsed.description.record);
    EXPECT_EQ("texts/licence.rtf", parsed.description.license.source);
    EXPECT_EQ(14, parsed.description.license.line);
    EXPECT_EQ(15, parsed.description.license.formatLine);
    EXPECT_EQ(kTextPlain, parsed.description.info.format);

    const std::vector<PackFile>& files = parsed.description.files;
    ASSERT_EQ(3u, files.size());
    EXPECT_EQ("bin/Cartopia.exe", files[0].source);
    EXPECT_EQ("Cartopia.exe", files[0].name);
    EXPECT_EQ("", files[0].subFolder);
    EXPECT_EQ(21, files[0].line);
    EXPECT_EQ("manuel.txt", files[1].name);
    EXPECT_EQ("Documentation\\fr", files[1].subFolder);
    EXPECT_EQ("a = b.txt", files[2].name);
    EXPECT_EQ("", files[2].subFolder);  // an empty sub-folder is the install folder
}

TEST(PackDescription, DefaultsOfAMinimalDescription) {
    Parsed parsed = Parse("[Setup]\nAppName=Atlas\n[Files]\natlas.exe\n");
    ASSERT_TRUE(parsed.ok) << Errors(parsed);
    // Below Program Files, in a folder of its own; shortcuts offered, no texts.
    testrec::ExpectSameRecord(testrec::Record([](SetupRecord& r) {
                                  for (char* name : {r.appName, r.appVerName, r.subFolder, r.groupName}) {
                                      strcpy(name, "Atlas");
                                  }
                                  strcpy(r.folderToken, "{pf}");
                                  r.noIcons = 0;
                              }),
                              parsed.description.record);

    // Other folders get no sub-folder unless one is given; a licence without a
    // format is decided later from its content.
    parsed = Parse("[Setup]\nAppName=Atlas\nFolder=D:/Jeux/Atlas/\nLicense=l.txt\n[Files]\natlas.exe\n");
    ASSERT_TRUE(parsed.ok) << Errors(parsed);
    EXPECT_STREQ("D:\\Jeux\\Atlas", parsed.description.record.folderToken);
    EXPECT_STREQ("", parsed.description.record.subFolder);
    EXPECT_EQ(kTextAuto, parsed.description.license.format);

    parsed = Parse("[Setup]\nAppName=Atlas\nFolder={app}\n[Files]\natlas.exe\n");
    ASSERT_TRUE(parsed.ok) << Errors(parsed);
    EXPECT_STREQ("", parsed.description.record.subFolder);
    parsed = Parse("[Setup]\nAppName=Atlas\nFolder=\\\\serveur\\jeux\n[Files]\natlas.exe\n");
    ASSERT_TRUE(parsed.ok) << Errors(parsed);
    EXPECT_STREQ("\\\\serveur\\jeux", parsed.description.record.folderToken);
}

TEST(PackDescription, TextIsStoredInCodePage1252) {
    // UTF-8 with BOM, as Linux editors write it.
    Parsed parsed = Parse("\xEF\xBB\xBF[Setup]\nAppName = G\xC3\xA9o \xE2\x82\xAC\n[Files]\n\xC5\x93uvre.exe\n");
    ASSERT_TRUE(parsed.ok) << Errors(parsed);
    EXPECT_STREQ("G\xE9o \x80", parsed.description.record.appName);
    EXPECT_EQ("\x9C" "uvre.exe", parsed.description.files[0].name);

    // Code page 1252 already (not valid UTF-8): taken as it is.
    parsed = Parse("[Setup]\nAppName = G\xE9o\n[Files]\ng\xE9o.exe\n");
    ASSERT_TRUE(parsed.ok) << Errors(parsed);
    EXPECT_STREQ("G\xE9o", parsed.description.record.appName);

    // A character code page 1252 has not: reported on its line.
    parsed = Parse("[Setup]\nAppName = Atlas\nAppVerName = \xE5\x9C\xB0\xE5\x9B\xBE\n[Files]\na.exe\n");
    ASSERT_EQ(1u, parsed.errors.size()) << Errors(parsed);
    EXPECT_EQ(3, parsed.errors[0].line);
    EXPECT_NE(std::string::npos, parsed.errors[0].message.find("U+5730")) << parsed.errors[0].message;
}

TEST(PackDescription, LengthLimitIs259Characters) {
    const std::string fits(259, 'a');
    Parsed parsed = Parse("[Setup]\nAppName=A\nAppVerName=" + fits + "\nFolder={app}\n[Files]\na.exe\n");
    EXPECT_TRUE(parsed.ok) << Errors(parsed);
    parsed = Parse("[Setup]\nAppName=A\nAppVerName=" + fits + "a\n[Files]\na.exe\n");
    ASSERT_EQ(1u, parsed.errors.size()) << Errors(parsed);
    EXPECT_EQ(3, parsed.errors[0].line);
    EXPECT_EQ("AppVerName is 260 characters long (at most 259)", parsed.errors[0].message);

    // An install path: C:\J (4) + \ + 250 + \ + name of 3 = 259 fits; one more does not.
    const std::string folder = "[Setup]\nAppName=A\nFolder=C:\\J\n[Files]\n";
    parsed = Parse(folder + "abc = " + std::string(250, 'd') + "\n");
    EXPECT_TRUE(parsed.ok) << Errors(parsed);
    parsed = Parse(folder + "abcd = " + std::string(250, 'd') + "\n");
    ASSERT_EQ(1u, parsed.errors.size()) << Errors(parsed);
    EXPECT_EQ(5, parsed.errors[0].line);
    EXPECT_NE(std::string::npos, parsed.errors[0].message.find("260 characters")) << parsed.errors[0].message;

    // With a token, the usual folder stands in for it.
    parsed = Parse("[Setup]\nAppName=A\n[Files]\nabcd = " + std::string(230, 'd') + "\n");
    ASSERT_EQ(1u, parsed.errors.size()) << Errors(parsed);
    EXPECT_NE(std::string::npos, parsed.errors[0].message.find("usual folder for {pf}")) << parsed.errors[0].message;
}

struct ErrorCase {
    const char* what;
    std::string text;
    int line;
    const char* message;  // the error's message contains this
};

TEST(PackDescription, EachErrorNamesItsLine) {
    const std::string head = "[Setup]\nAppName = Atlas\n";  // lines 1 and 2
    const std::string files = "[Files]\natlas.exe\n";
    const ErrorCase cases[] = {
        {"unknown key", head + "Licence = l.txt\n" + files, 3, "unknown key 'Licence' in [Setup] (did you mean License?)"},
        {"key twice", head + "appname = B\n" + files, 3, "AppName is given twice (first on line 2)"},
        {"no equals", head + "RunOffered\n" + files, 3, "expected 'Key = value'"},
        {"flag value", head + "RunOffered = peut-etre\n" + files, 3, "RunOffered must be yes or no, not 'peut-etre'"},
        {"token case", head + "Folder = {PF}\n" + files, 3, "tokens are written in lower case: {pf}"},
        {"unknown token", head + "Folder = {programs}\n" + files, 3, "unknown folder token '{programs}'"},
        {"relative folder", head + "Folder = Jeux\n" + files, 3, "neither a folder token"},
        {"drive root", head + "Folder = C:\\\nSubFolder =\n" + files, 3, "a drive root is not an install folder"},
        {"bad folder part", head + "Folder = C:\\Je*ux\n" + files, 3, "contains '*'"},
        {"sub-folder up", head + "SubFolder = ..\\Windows\n" + files, 3, "must not contain '.' or '..'"},
        {"absolute sub-folder", head + "SubFolder = \\Jeux\n" + files, 3, "must be relative"},
        {"app name character", "[Setup]\nAppName = A/B\n" + files, 2, "contains '/'"},
        {"reserved name", head + files + "aux.txt\n", 5, "reserved device name"},
        {"trailing dot", head + files + "b.exe = docs.\n", 5, "ends with a dot or a blank"},
        {"empty group", head + "Group =\n" + files, 3, "Group must not be empty"},
        {"format value", head + "License = l.txt\nLicenseFormat = html\n" + files, 4,
         "LicenseFormat must be text or rtf, not 'html'"},
        {"format without file", head + "InfoFormat = rtf\n" + files, 3, "InfoFormat is given without Info"},
        {"empty licence key", head + "License =\n" + files, 3, "License needs the file"},
        {"missing name", "[Setup]\nFolder = {pf}\n" + files, 1, "AppName is missing"},
        {"empty name", "[Setup]\nAppName =\n" + files, 2, "AppName must not be empty"},
        {"no files", head + "[Files]\n; nothing yet\n", 3, "[Files] lists no file"},
        {"no files section", head, 2, "there is no [Files] section"},
        {"unknown section", head + "[Icons]\nx = y\n" + files, 3, "unknown section [Icons]"},
        {"before any section", "AppName = Atlas\n" + head + files, 1, "text before the first section"},
        {"unbalanced quotes", head + files + "\"b.exe = docs\n", 5, "unbalanced quotes"},
        {"duplicate", head + files + "other/ATLAS.EXE\n", 5, "installs ATLAS.EXE again (already on line 4)"},
        {"duplicate in sub-folder", head + files + "a/b.txt = d\\e\nc/b.txt = d/e/\n", 6, "installs d\\e\\b.txt again"},
        {"file and folder", head + files + "docs\nreadme.txt = docs\n", 6, "the same name for a file and a folder"},
        {"uninstaller name", head + files + "uninst.exe\n", 5, "is the uninstaller that setup writes"},
        {"pattern first", head + "[Files]\ndocs/*.txt\n", 4, "the first line of [Files] names the main program"},
        {"pattern with ** in a name", head + files + "docs/a**/*\n", 5, "'**' stands only as a whole part"},
        {"undefined name", head + "AppVerName = Atlas {#Version}\n" + files, 3, "{#Version} is not defined"},
        {"define without brace", head + "AppVerName = Atlas {#Version\n" + files, 3, "'{#' without its closing '}'"},
        {"bad define name", head + files + "[Defines]\n2x = 1\n", 6, "expected 'Name = text'"},
        {"exclusion leaving", head + files + "[Exclude]\n../x\n", 6, "cannot leave the description's folder"},
        {"zero byte", head + std::string("Group = a\0b\n", 12) + files, 3, "zero byte"},
        {"privileges value", head + "Privileges = root\n" + files, 3, "Privileges must be admin or user, not 'root'"},
        {"user package in {pf}", head + "Privileges = user\nFolder = {pf}\n" + files, 4,
         "Folder {pf} needs administrator rights, which a package with Privileges = user (line 3)"},
        {"user package in {sys}", head + "Folder = {sys}\nPrivileges = User\n" + files, 3,
         "Folder {sys} needs administrator rights, which a package with Privileges = user (line 4)"},
        {"user package in {win}", head + "Privileges = user\nFolder = {win}\n" + files, 4, "Folder {win} needs"},
        {"{userpf} for every user", head + "Folder = {userpf}\n" + files, 3, "it needs Privileges = user"},
        {"{userpf} with admin", head + "Privileges = admin\nFolder = {userpf}\n" + files, 4,
         "it needs Privileges = user"},
    };
    for (const ErrorCase& c : cases) {
        Parsed parsed = Parse(c.text);
        EXPECT_FALSE(parsed.ok) << c.what;
        ASSERT_FALSE(parsed.errors.empty()) << c.what;
        EXPECT_EQ(1u, parsed.errors.size()) << c.what << "\n" << Errors(parsed);
        EXPECT_EQ(c.line, parsed.errors[0].line) << c.what << "\n" << Errors(parsed);
        EXPECT_NE(std::string::npos, parsed.errors[0].message.find(c.message)) << c.what << "\n" << Errors(parsed);
    }
}

// Privileges: who the package is for decides the default folder and the
// tokens it may use; without the key, or with admin, nothing changes.
TEST(PackDescription, PrivilegesDecideTheScopeAndTheDefaultFolder) {
    const struct {
        const char* lines;
        bool perUser;
        const char* folder;
        const char* subFolder;
    } cases[] = {
        {"", false, "{pf}", "Atlas"},
        {"Privileges = admin\n", false, "{pf}", "Atlas"},
        {"Privileges = user\n", true, "{userpf}", "Atlas"},
        {"Privileges = USER\nFolder = {userpf}\nSubFolder = Jeux/Atlas\n", true, "{userpf}", "Jeux\\Atlas"},
        {"Privileges = user\nFolder = {app}\n", true, "{app}", ""},
        {"Privileges = user\nFolder = D:\\Jeux\n", true, "D:\\Jeux", ""},
    };
    for (const auto& c : cases) {
        Parsed parsed = Parse(std::string("[Setup]\nAppName = Atlas\n") + c.lines + "[Files]\natlas.exe\n");
        ASSERT_TRUE(parsed.ok) << c.lines << Errors(parsed);
        EXPECT_EQ(c.perUser, parsed.description.perUser) << c.lines;
        EXPECT_STREQ(c.folder, parsed.description.record.folderToken) << c.lines;
        EXPECT_STREQ(c.subFolder, parsed.description.record.subFolder) << c.lines;
    }
    // {userpf} is counted with the longest user's programs folder, a domain
    // user's "C:\Users\name.DOMAIN\AppData\Local\Programs" (68 characters),
    // the install folder leaving room for "\uninst.exe".
    std::string name(259 - 68 - 1 - 11, 'n');
    Parsed parsed = Parse("[Setup]\nAppName = A\nPrivileges = user\nSubFolder = " + name + "\n[Files]\na.exe\n");
    EXPECT_TRUE(parsed.ok) << Errors(parsed);
    parsed = Parse("[Setup]\nAppName = A\nPrivileges = user\nSubFolder = " + name + "n\n[Files]\na.exe\n");
    EXPECT_FALSE(parsed.ok);
}

TEST(PackDescription, ReportsEveryErrorInLineOrderAndMarksBadFiles) {
    Parsed parsed = Parse(
        "[Setup]\n"
        "Folder = {PF}\n"   // 2
        "NoIcons = vrai\n"  // 3
        "[Files]\n"
        "good.exe\n"
        "bad|.exe\n"        // 6
        "good.exe\n");      // 7
    ASSERT_EQ(5u, parsed.errors.size()) << Errors(parsed);
    EXPECT_EQ(1, parsed.errors[0].line);  // AppName missing, at [Setup]
    EXPECT_EQ(2, parsed.errors[1].line);
    EXPECT_EQ(3, parsed.errors[2].line);
    EXPECT_EQ(6, parsed.errors[3].line);
    EXPECT_EQ(7, parsed.errors[4].line);
    ASSERT_EQ(3u, parsed.description.files.size());
    EXPECT_TRUE(parsed.description.files[0].valid);
    EXPECT_FALSE(parsed.description.files[1].valid);
}

TEST(PackDescription, PlainTextAndRtf) {
    EXPECT_TRUE(LooksLikeRtf("{\\rtf1\\ansi x}"));
    EXPECT_FALSE(LooksLikeRtf("{\\rt"));
    EXPECT_FALSE(LooksLikeRtf(" {\\rtf1}"));

    std::string out;
    int badLine = 0;
    ASSERT_TRUE(PreparePlainText("un\ndeux\r\ntrois\n", &out, &badLine));
    EXPECT_EQ("un\r\ndeux\r\ntrois\r\n", out);
    ASSERT_TRUE(PreparePlainText("\xEF\xBB\xBFL\xC3\xA9gal\n", &out, &badLine));
    EXPECT_EQ("L\xE9gal\r\n", out);
    ASSERT_TRUE(PreparePlainText("L\xE9gal", &out, &badLine));  // already 1252
    EXPECT_EQ("L\xE9gal", out);
    EXPECT_FALSE(PreparePlainText("a\nb\n\xE2\x86\x92\n", &out, &badLine));
    EXPECT_EQ(3, badLine);
}

TEST(Cp1252, ConvertsBothWays) {
    const std::string utf8 = "\xE2\x82\xAC \xC5\x93 \xC3\xA9 \xC3\xBF \xE2\x80\x99";  // € œ é ÿ ’
    int badLine = 0;
    uint32_t codePoint = 0;
    std::string text = Utf8ToCp1252(utf8, &badLine, &codePoint);
    EXPECT_EQ("\x80 \x9C \xE9 \xFF \x92", text);
    EXPECT_EQ(0, badLine);
    EXPECT_EQ(utf8, Cp1252ToUtf8(text));
    EXPECT_EQ("\xEF\xBF\xBD", Cp1252ToUtf8("\x81"));  // unassigned byte

    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_FALSE(IsValidUtf8("\xC3"));              // cut short
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));           // code page 1252
    EXPECT_EQ(-1, Cp1252FromCodePoint(0x81));
    EXPECT_EQ(-1, Cp1252FromCodePoint(0x2192));
}

}  // namespace

namespace {

TEST(PackDescription, BrandingKeysAndTheirDefaults) {
    Parsed parsed = Parse(
        "[Setup]\n"
        "AppName = Cartopia\n"
        "AppVerName = Cartopia 1.2 b\xC3\xAAta\n"
        "SetupIcon = art/cartopia.ico\n"
        "SidePicture = art\\side.bmp\n"
        "HeaderPicture = header.bmp\n"
        "Publisher = \xC3\x89" "ditions du Globe\n"
        "Copyright = \xC2\xA9 2024 \xC3\x89" "ditions du Globe\n"
        "[Files]\n"
        "Cartopia.exe\n");
    ASSERT_TRUE(parsed.ok) << Errors(parsed);
    const PackBranding& b = parsed.description.branding;
    EXPECT_EQ("art/cartopia.ico", b.icon.path);
    EXPECT_EQ(4, b.icon.line);
    EXPECT_EQ("art\\side.bmp", b.sidePicture.path);
    EXPECT_EQ(6, b.headerPicture.line);
    EXPECT_EQ("\xC9" "ditions du Globe", b.publisher);
    EXPECT_EQ("\xA9 2024 \xC9" "ditions du Globe", b.copyright);
    // Without AppVersion and Description: the version part of AppVerName, a French description.
    EXPECT_EQ("1.2 b\xEAta", b.version);
    EXPECT_EQ(1, b.versionNumbers[0]);
    EXPECT_EQ(2, b.versionNumbers[1]);
    EXPECT_EQ(0, b.versionNumbers[2]);
    EXPECT_EQ("Installation de Cartopia", b.description);
    EXPECT_EQ("CartopiaSetup.exe", b.originalFileName);

    parsed = Parse("[Setup]\nAppName = Atlas 3\nAppVersion = 10.20.30.40\nDescription = Atlas, setup\n[Files]\na.exe\n");
    ASSERT_TRUE(parsed.ok) << Errors(parsed);
    EXPECT_EQ("10.20.30.40", parsed.description.branding.version);
    EXPECT_EQ(40, parsed.description.branding.versionNumbers[3]);
    EXPECT_EQ("Atlas, setup", parsed.description.branding.description);
    EXPECT_EQ("", parsed.description.branding.icon.path);
    EXPECT_EQ("Atlas3Setup.exe", parsed.description.branding.originalFileName);
    parsed = Parse("[Setup]\nAppName = Atlas\nOriginalFileName = atlas-3.0-setup.exe\n[Files]\na.exe\n");
    EXPECT_EQ("atlas-3.0-setup.exe", parsed.description.branding.originalFileName);
    // A digit inside a word of AppVerName is not a version; no version at all is fine.
    parsed = Parse("[Setup]\nAppName = Atlas\nAppVerName = Atlas3D\n[Files]\na.exe\n");
    ASSERT_TRUE(parsed.ok) << Errors(parsed);
    EXPECT_EQ("", parsed.description.branding.version);
}

TEST(PackDescription, BrandingErrorsNameTheirLine) {
    Parsed parsed = Parse(
        "[Setup]\n"
        "AppName = Atlas\n"
        "SetupIcon =\n"
        "SidePicture = \"\"\n"
        "AppVersion = version 2\n"
        "Copyright = " + std::string(300, 'c') + "\n"
        "HeaderPictur = h.bmp\n"
        "OriginalFileName = out/setup.exe\n"
        "[Files]\n"
        "a.exe\n");
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ("3: SetupIcon needs the file of the installer's icon (.ico)\n"
              "4: SidePicture needs the file of the side picture (.bmp, 144 x 324)\n"
              "5: AppVersion 'version 2' does not start with a version number such as 1.2 or 1.2.3.4\n"
              "6: Copyright is 300 characters long (at most 259)\n"
              "7: unknown key 'HeaderPictur' in [Setup] (did you mean HeaderPicture?)\n"
              "8: OriginalFileName 'out/setup.exe' contains '/', which Windows does not allow in a name\n",
              Errors(parsed));
    parsed = Parse("[Setup]\nAppName = A\nAppVersion = 1.65536\n[Files]\na.exe\n");
    EXPECT_EQ("3: AppVersion '1.65536' has a part above 65535, the largest a version number can hold\n", Errors(parsed));
}

TEST(PackDescription, VersionNumbersReadFromTheStartOfAText) {
    struct Case {
        const char* text;
        bool ok;
        uint16_t numbers[4];
    } cases[] = {
        {"1.2", true, {1, 2, 0, 0}},
        {"  3.4.5.6", true, {3, 4, 5, 6}},
        {"2.0 b\xEAta", true, {2, 0, 0, 0}},
        {"1.2.3.4.5", true, {1, 2, 3, 4}},
        {"7.", true, {7, 0, 0, 0}},
        {"1..2", true, {1, 0, 0, 0}},
        {"65535.0", true, {65535, 0, 0, 0}},
        {"65536", false, {0, 0, 0, 0}},
        {"99999999999999999999", false, {0, 0, 0, 0}},
        {"v1.2", false, {0, 0, 0, 0}},
        {"", false, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        uint16_t numbers[4] = {9, 9, 9, 9};
        std::string error;
        EXPECT_EQ(c.ok, ParseVersionNumbers(c.text, numbers, &error)) << c.text;
        if (!c.ok) continue;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(c.numbers[i], numbers[i]) << c.text << " part " << i;
    }
}

}  // namespace
