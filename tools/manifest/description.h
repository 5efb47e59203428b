// The product description as the build tools read it: the manifest's
// fields, the publisher's texts, the painter's texts and the pictures.
// vantor-manifest checks and writes it; paint-resources paints from it.
#ifndef VANTOR_TOOLS_DESCRIPTION_H
#define VANTOR_TOOLS_DESCRIPTION_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct Entry {
    int line;
    std::string target, resource, caption, source;
    // The target as written, in UTF-8: the name of the files the build
    // makes or copies for it.
    std::string file;
    unsigned long flags;
    unsigned long long unpacked, packed;
    uint32_t sum;  // of the packed stream, as the setup checks it at start
};

// Entry 0's source: Vantor's own uninstaller, built for the product.
constexpr const char* kUninstallerSource = "@uninstaller";

// A base folder starting so lies in the machine's 32-bit Program Files
// folder, which the setup finds when it proposes the destination.
constexpr const char* kProgramFilesToken = "{ProgramFiles}";

// A file the description names, with the line that names it.
struct NamedFile {
    std::string source;
    int line;
};

struct Description {
    std::string path;
    // Where plain paths are relative to (the product's folder) and where
    // "@" files and painted pictures are built.
    std::string sourceRoot, buildRoot;
    std::string name, version, tagline, publisher, webPage, timestamp;
    // The setup's own constants: the installer's name, the default base
    // folder and the output file's name.
    // Left out, the installer is named after the product (constant_checks.cpp).
    std::string installer, base, output = "Setup.exe";
    int installerLine = 0, baseLine = 0, outputLine = 0;
    // Where the package manager downloads the setup from, if it is known.
    std::string download;
    int downloadLine = 0;
    // The publisher's texts. Texts of several lines take them separated
    // by "|" on one key.
    std::string support, homePage, copyright;
    // The licence file, and its text as the licence page shows it.
    std::string licence, licenceText;
    std::vector<std::string> rights, visit;
    // What the painter writes into the pictures it makes.
    std::string banner, slogan, sideband;
    // Pictures of the publisher's own, by the setup's picture name.
    std::map<std::string, NamedFile> pictures;
    // Every picture's file as the checks resolved it, brought or painted.
    std::map<std::string, std::string> picturePaths;
    std::vector<std::string> preserved;
    int preserveLine = 0;
    int nameLine = 0, versionLine = 0, taglineLine = 0, publisherLine = 0, webPageLine = 0,
        timestampLine = 0, weekdayLine = 0, installedLine = 0, shortcutsLine = 0;
    int licenceLine = 0, supportLine = 0, homePageLine = 0, copyrightLine = 0, rightsLine = 0, visitLine = 0,
        bannerLine = 0, sloganLine = 0, sidebandLine = 0;
    long weekday = 0, installed = 0, shortcuts = 0;
    // "installed N of M": the entry count the publisher counted, or -1.
    long installedOf = -1;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
    std::vector<Entry> entries;
};

// Reports one problem as "file:line: field: what" and counts it.
void Fail(const Description& d, int line, const char* field, const std::string& what);
int ProblemCount();

std::string Trim(const std::string& s);
// A text the setup shows, quoted for a message in UTF-8.
std::string Quote(const std::string& shown);
bool ParseNumber(const std::string& s, long* out);
// False only when the file cannot be read; problems in it are reported.
// Texts the setup shows come out in Windows-1252; paths stay as written.
bool ReadDescription(Description* d);
// Every key the reader takes; the sample description a new product starts
// from (products/sample/product.txt) explains each.
std::vector<std::string> DescriptionKeys();
// A "@" source is built under the build root, any other lies in the
// product's folder; "@uninstaller" is Vantor's own, built for the product
// under the name its entry gives it.
std::string SourcePath(const Description& d, const std::string& source);
std::string EntryPath(const Description& d, const Entry& e);
bool IsBuilt(const std::string& source);

// The checks; each problem is reported through Fail. The identity checks
// need no files; the others read the product's files and pictures and
// fill in their sizes and paths. A check before the build skips what the
// build makes: "@" files, packed payloads and painted pictures.
enum CheckStage { kBeforeBuild, kBuilt };
void CheckIdentity(Description* d);
void CheckSetupConstants(Description* d);
void CheckTable(Description* d);
// A shown text: not empty, no control characters, at most width - 1 bytes.
void CheckText(const Description& d, int line, const char* field, const std::string& value,
               size_t width);
// What Windows refuses or rewrites in one folder or file name, by the
// group and folder pages' rules; empty when the name is fine.
std::string FolderNameRule(const std::string& name);
void CheckFiles(Description* d, CheckStage stage);
void CheckPictures(Description* d, CheckStage stage);
// The uninstaller's icon alone, resolved and checked, for the programs.
void CheckUninstallerIcon(Description* d, CheckStage stage);
// The pixels (0xRRGGBB, top row first) of the emblem the description
// brings; false when it brings none or, with the problem reported, when it
// cannot be read.
bool ReadEmblem(const Description& d, int* width, int* height, std::vector<uint32_t>* pixels);
// The download address and the package manager's own limits on the
// names (package_manifest.cpp).
void CheckPackageFields(const Description& d);
// Every text of the description against the box it is shown in.
void CheckTextFit(const Description& d);
// Whether an installer's name fits the backdrop's label and the welcome
// page's title bar.
bool InstallerNameFits(const std::string& installer);
// The texts of the pictures the painter draws (the banner's, the start
// menu's) against the room its layouts give them (tools/paint).
void CheckPictureTexts(const Description& d, bool banner, bool startMenu);

#endif
